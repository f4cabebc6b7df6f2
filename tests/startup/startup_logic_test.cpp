#include "startup/command_resolver.h"
#include "startup/name_file.h"
#include "startup/startup_diff.h"
#include "startup/startup_entry.h"
#include "startup/host_codec.h"

#include <gtest/gtest.h>

#include <set>

namespace tessaly {
namespace {

std::string Narrow(const std::wstring& text) {
    return ToUtf8(text);
}

TEST(ResolveCommand, FindsTheFirstExecutableOfACommandLine) {
    // Files that "exist" in this test's Windows folder C:\WINDOWS.
    const std::set<std::wstring> files = {
        L"C:\\WINDOWS\\system32\\rundll32.exe", L"C:\\WINDOWS\\both.exe",
        L"C:\\WINDOWS\\system32\\both.exe", L"C:\\WINDOWS\\system\\old.exe",
        L"C:\\WINDOWS\\system32\\tool.exe"};
    const auto exists = [&](const std::wstring& path) { return files.count(path) > 0; };
    struct Case {
        const wchar_t* command;
        const wchar_t* path;
        const wchar_t* file;
    } cases[] = {
        {L"\"C:\\Program Files\\Foo\\foo.exe\" /min", L"c:\\program files\\foo\\foo.exe",
         L"foo.exe"},
        {L"rundll32.exe shell32.dll,Control_RunDLL", L"C:\\WINDOWS\\system32\\rundll32.exe",
         L"rundll32.exe"},
        // The Windows folder itself is looked at first, then system, then system32.
        {L"both.exe", L"C:\\WINDOWS\\both.exe", L"both.exe"},
        {L"old.exe -x", L"C:\\WINDOWS\\system\\old.exe", L"old.exe"},
        // Upper-case extension; the lower-cased name is looked for.
        {L"TOOL.EXE /q", L"C:\\WINDOWS\\system32\\tool.exe", L"tool.exe"},
        // Not in the Windows folders: the bare name stays, and is still the file name.
        {L"agent.exe --tray", L"agent.exe", L"agent.exe"},
        // Two executables: only the first counts.
        {L"c:\\a\\first.exe c:\\b\\second.exe", L"c:\\a\\first.exe", L"first.exe"},
        // A later drive before the ".exe" starts the path.
        {L"c:\\launcher d:\\apps\\app.exe", L"d:\\apps\\app.exe", L"app.exe"},
        // A ":\" at the very start has no drive letter.
        {L":\\x\\y.exe", L":\\x\\y.exe", L"y.exe"},
        // No ".exe": nothing to find.
        {L"rundll32 shell32.dll,Control_RunDLL", L"", L""},
        {L"c:\\scripts\\start.bat", L"", L""},
        {L"", L"", L""},
        // ".exe" inside a longer word is still the end of the path.
        {L"c:\\x\\app.executor", L"c:\\x\\app.exe", L"app.exe"},
    };
    for (const Case& c : cases) {
        const ResolvedCommand resolved = ResolveCommand(c.command, L"C:\\WINDOWS", exists);
        EXPECT_EQ(resolved.path, c.path) << Narrow(c.command);
        EXPECT_EQ(resolved.fileName, c.file) << Narrow(c.command);
    }
    // No Windows folder known: bare names stay bare.
    EXPECT_EQ(ResolveCommand(L"tool.exe", L"", exists).path, L"tool.exe");
}

TEST(NameFile, WritesAnsiWhenEveryNameFitsAndUtf8WithAMarkOtherwise) {
    const TextCodec codec = test::HostCodec();
    EXPECT_EQ(EncodeNameFile({}, codec), "");
    EXPECT_EQ(EncodeNameFile({L"alpha", L"caf\u00e9, ltd"}, codec), "alpha\r\ncaf\xe9, ltd\r\n");
    EXPECT_EQ(EncodeNameFile({L"alpha", L"\u65e5\u672c"}, codec),
              "\xEF\xBB\xBF"
              "alpha\r\n\xE6\x97\xA5\xE6\x9C\xAC\r\n");
}

TEST(NameFile, ReadsEveryNonBlankLine) {
    const TextCodec codec = test::HostCodec();
    struct Case {
        std::string bytes;
        std::vector<std::wstring> names;
    } cases[] = {
        {"", {}},
        {"one\r\ntwo\r\n", {L"one", L"two"}},
        {"one\r\ntwo", {L"one", L"two"}},                    // no final line end
        {"one\ntwo\rthree\r\n", {L"one", L"two", L"three"}}, // any line end
        {"  one  \r\n\r\n\r\n two\r\n", {L"one", L"two"}},   // trimmed; blank lines skipped
        {"a, b\r\n", {L"a, b"}},                             // a comma is part of the name
        {"0\r\nx\r\n", {L"0", L"x"}},
        {"caf\xe9\r\n", {L"caf\u00e9"}}, // ANSI
        {"\xEF\xBB\xBF"
         "caf\xC3\xA9\r\n\xE6\x97\xA5\r\n",
         {L"caf\u00e9", L"\u65e5"}},
        {"\xEF\xBB\xBF", {}},
        {std::string("a\0b\r\n", 5), {std::wstring(L"a\0b", 3)}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeNameFile(c.bytes, codec), c.names) << c.bytes;
    // What is written reads back the same, either way.
    for (const std::vector<std::wstring>& names :
         {std::vector<std::wstring>{L"a", L"b c", L"d,e"},
          std::vector<std::wstring>{L"\u0416\u0416", L"plain"}})
        EXPECT_EQ(DecodeNameFile(EncodeNameFile(names, codec), codec), names);
}

TEST(NewNameMarks, MarksEveryRowOfANameNotRemembered) {
    struct Case {
        std::vector<std::wstring> current, remembered;
        std::vector<bool> marks;
    } cases[] = {
        {{}, {}, {}},
        {{L"a", L"b"}, {L"a", L"b"}, {false, false}},
        // Letter case and blanks around do not make a name new.
        {{L"Alpha", L" BETA "}, {L"alpha", L"beta"}, {false, false}},
        {{L"a", L"new"}, {L"a"}, {false, true}},
        // A name twice: both rows.
        {{L"new", L"a", L"NEW"}, {L"a"}, {true, false, true}},
        // Removed names are nothing.
        {{L"a"}, {L"a", L"gone"}, {false}},
        // No baseline: everything is new.
        {{L"a", L"b"}, {}, {true, true}},
        // Wildcard characters are plain characters: "a*" does not stand for "abc".
        {{L"abc", L"a*"}, {L"abc"}, {false, true}},
        {{L"a?c", L"a#c", L"[ab]"}, {L"abc", L"a1c", L"a"}, {true, true, true}},
        {{L"abc"}, {L"a*", L"???", L"[a]bc"}, {true}},
        // A first new name "0" is a name like any other.
        {{L"0", L"x"}, {}, {true, true}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NewNameMarks(c.current, c.remembered), c.marks)
            << (c.current.empty() ? "" : Narrow(c.current.front()));
}

TEST(StartupEntry, ShowsTheTrimmedNameAndItsTexts) {
    StartupEntry entry;
    entry.valueName = L"  Agent ";
    entry.commandLine = L"c:\\a.exe";
    entry.hive = StartupHive::User;
    EXPECT_EQ(StartupCellText(entry, StartupColumn::Name), L"Agent");
    EXPECT_EQ(StartupCellText(entry, StartupColumn::Location), L"Registry User section");
    EXPECT_EQ(StartupCellText(entry, StartupColumn::Status), L"Not running");
    entry.hive = StartupHive::Machine;
    entry.running = true;
    EXPECT_EQ(StartupCellText(entry, StartupColumn::Location), L"Registry machine section");
    EXPECT_EQ(StartupCellText(entry, StartupColumn::Status), L"Running");
}

} // namespace
} // namespace tessaly
