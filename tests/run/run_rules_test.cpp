#include "run/run_rules.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(RunRules, VerbRowAndAcceptance) {
    const struct {
        const wchar_t* text;
        bool verbRow;
        bool accepted;
    } cases[] = {
        {L"", true, false},
        {L"notepad", true, false},
        {L"notepad.exe", false, true},
        {L"C:\\TOOLS\\APP.EXE", false, true},
        {L"notepad.exe readme.txt", false, false}, // a program with arguments
        {L"NOTEPAD.EXE -x", false, false},
        {L"readme.txt", true, false},
        {L"C:\\a.exe dir\\b.txt", false, false},
        {L"exe", true, false},
        {L".exe", false, true},
        {L"C:\\Données\\программа.exe", false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VerbRowVisible(c.text), c.verbRow)
            << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(RunAccepts(c.text), c.accepted) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(RunRules, ChosenFileShortFormForProgramsOnly) {
    const struct {
        int filter;
        const wchar_t* path;
        const wchar_t* shortPath;
        const wchar_t* text;
        bool verbRow;
    } cases[] = {
        {1, L"C:\\Program Files\\App\\app.exe", L"C:\\PROGRA~1\\App\\app.exe",
         L"C:\\PROGRA~1\\App\\app.exe", false},
        {1, L"C:\\no short names\\app.exe", L"", L"C:\\no short names\\app.exe", false},
        {2, L"C:\\My Documents\\letter.txt", L"C:\\MYDOCU~1\\letter.txt",
         L"C:\\My Documents\\letter.txt", true},
    };
    for (const auto& c : cases) {
        const BrowseChoice choice = ChosenFile(c.filter, c.path, c.shortPath);
        EXPECT_EQ(choice.text, c.text);
        EXPECT_EQ(choice.verbRowVisible, c.verbRow);
    }
}

} // namespace
} // namespace tessaly
