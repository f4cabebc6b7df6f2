#include "common/display_text.h"
#include "common/long_path.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaly {
namespace {

const std::wstring kMark(1, kReplacementMark);

TEST(DisplayText, ShowsControlsThatWouldActUnseen) {
    const struct {
        std::wstring in, shown;
    } cases[] = {
        {L"invoice\u202Egpj.exe", L"invoice" + kMark + L"gpj.exe"},
        {L"a\u202Ab\u202Bc\u202Cd\u202De",
         L"a" + kMark + L"b" + kMark + L"c" + kMark + L"d" + kMark + L"e"},
        {L"\u2066x\u2067y\u2068z\u2069", kMark + L"x" + kMark + L"y" + kMark + L"z" + kMark},
        {L"\u200Ea\u200Fb\u061Cc", kMark + L"a" + kMark + L"b" + kMark + L"c"},
        {L"tab\there\r\n", L"tab" + kMark + L"here" + kMark + kMark},
        {L"del\x7F c1\x85", L"del" + kMark + L" c1" + kMark},
        {std::wstring(L"nul\0x", 5), L"nul" + kMark + L"x"},
        // Text in right-to-left scripts and everything printable stays as it is.
        {L"\u05E9\u05DC\u05D5\u05DD.exe", L"\u05E9\u05DC\u05D5\u05DD.exe"},
        {L"\u00DCn\u00EFc\u00F8d\u00E9 R&D.exe", L"\u00DCn\u00EFc\u00F8d\u00E9 R&D.exe"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplayText(c.in), c.shown);
}

TEST(MenuText, DoublesEveryAmpersandAfterMakingControlsVisible) {
    EXPECT_EQ(DoubleAmpersands(L"R&D tool.exe"), L"R&&D tool.exe");
    EXPECT_EQ(DoubleAmpersands(L"&&&"), L"&&&&&&");
    EXPECT_EQ(DoubleAmpersands(L"plain"), L"plain");
    EXPECT_EQ(MenuText(L"R&D\u202Egpj.exe"), L"R&&D" + kMark + L"gpj.exe");
}

TEST(ExtendedPath, PrefixesOnlyFullPathsTooLongForTheFileFunctions) {
    const std::wstring tail(260, L'a');
    const struct {
        std::wstring in, out;
    } cases[] = {
        {L"C:\\short\\app.exe", L"C:\\short\\app.exe"},
        {L"C:\\" + tail.substr(0, 256), L"C:\\" + tail.substr(0, 256)}, // 259 characters
        {L"C:\\" + tail.substr(0, 257), L"\\\\?\\C:\\" + tail.substr(0, 257)},
        {L"d:\\" + tail, L"\\\\?\\d:\\" + tail},
        {L"\\\\server\\share\\" + tail, L"\\\\?\\UNC\\server\\share\\" + tail},
        {L"\\\\?\\C:\\" + tail, L"\\\\?\\C:\\" + tail},
        {L"\\\\?\\UNC\\server\\share\\" + tail, L"\\\\?\\UNC\\server\\share\\" + tail},
        {L"\\\\.\\C:\\" + tail, L"\\\\.\\C:\\" + tail},
        {L"relative\\" + tail, L"relative\\" + tail},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtendedPath(c.in), c.out) << c.in.size();
}

} // namespace
} // namespace tessaly
