// The startup monitor against the real registry of the test prefix: the Run keys read in both
// views with their fallbacks, each value type, the status pass over real processes, the
// remembered names on disk, and the panel of a real MainWindow driven from this program
// (menus and message boxes answered from timers, as their modal loops dispatch them).
#include "shell/main_window.h"

#include "common/text.h"
#include "settings/registry.h"
#include "settings/test_keys.h"
#include "shell/resource.h"
#include "startup/run_keys.h"
#include "startup/startup_snapshot.h"
#include "support/modal_windows.h"
#include "support/sleeper_process.h"
#include "support/wine_test_support.h"
#include "win32/handles.h"
#include "win32/platform.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using test::AnswerQuestion;
using test::EndsWithin;
using test::FindOwnWindow;
using test::Narrow;
using test::PumpUntil;
using test::ScratchFolder;
using test::SleeperProcess;
using test::TestKey;
using test::Unique;
using test::WhileModal;

// A value written into a key for the length of a test, in a registry view.
class TempValue {
public:
    TempValue(HKEY root, std::wstring subKey, std::wstring name, DWORD type, const void* data,
              DWORD size, REGSAM view = 0)
        : root_(root), subKey_(std::move(subKey)), name_(std::move(name)), view_(view) {
        HKEY key = nullptr;
        ok_ = ::RegCreateKeyExW(root_, subKey_.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view_,
                                nullptr, &key, nullptr) == ERROR_SUCCESS &&
              ::RegSetValueExW(key, name_.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
                  ERROR_SUCCESS;
        if (key)
            ::RegCloseKey(key);
    }
    static TempValue Text(HKEY root, std::wstring subKey, std::wstring name,
                          const std::wstring& text, REGSAM view = 0, DWORD type = REG_SZ) {
        return TempValue(root, std::move(subKey), std::move(name), type, text.c_str(),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), view);
    }
    TempValue(TempValue&& other) noexcept
        : root_(other.root_), subKey_(std::move(other.subKey_)), name_(std::move(other.name_)),
          view_(other.view_), ok_(std::exchange(other.ok_, false)) {}
    ~TempValue() {
        if (ok_)
            ::RegDeleteKeyValueW(root_, subKey_.c_str(), name_.c_str());
        // RegDeleteKeyValue has no view flag: delete through a key opened in the view.
        HKEY key = nullptr;
        if (ok_ && view_ &&
            ::RegOpenKeyExW(root_, subKey_.c_str(), 0, KEY_SET_VALUE | view_, &key) ==
                ERROR_SUCCESS) {
            ::RegDeleteValueW(key, name_.c_str());
            ::RegCloseKey(key);
        }
    }
    bool ok() const { return ok_; }

private:
    HKEY root_;
    std::wstring subKey_, name_;
    REGSAM view_;
    bool ok_ = false;
};

bool ValueExists(HKEY root, const wchar_t* subKey, const std::wstring& name, REGSAM view = 0) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return false;
    const bool found =
        ::RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return found;
}

const StartupEntry* Find(const std::vector<StartupEntry>& rows, std::wstring_view name,
                         StartupHive hive, StartupView view = StartupView::Native) {
    for (const StartupEntry& row : rows)
        if (row.Name() == name && row.hive == hive && row.view == view)
            return &row;
    return nullptr;
}

std::vector<std::wstring> NamesOf(const std::vector<StartupEntry>& rows) {
    std::vector<std::wstring> names;
    for (const StartupEntry& row : rows)
        names.push_back(row.Name());
    return names;
}

std::string FileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// --- The Run keys ---

TEST(RunKeys, EveryValueTypeGivesARowWithItsCommandText) {
    TestKey machine(L"machine"), user(L"user");
    const std::wstring run = kRunKey;
    std::vector<TempValue> values;
    const DWORD number = 0x1F;
    const BYTE twoBytes[2] = {1, 2};
    const wchar_t multi[] = L"a\0b\0";
    values.push_back(TempValue::Text(user.get(), run, L"plain", L"\"C:\\Apps\\plain.exe\" /q"));
    values.push_back(
        TempValue::Text(user.get(), run, L"expand", L"%SystemRoot%\\x.exe", 0, REG_EXPAND_SZ));
    values.push_back(TempValue(user.get(), run, L"number", REG_DWORD, &number, sizeof number));
    values.push_back(TempValue(user.get(), run, L"binary", REG_BINARY, twoBytes, 2));
    values.push_back(TempValue(user.get(), run, L"multi", REG_MULTI_SZ, multi, sizeof multi));
    values.push_back(TempValue::Text(user.get(), run, L"  padded  ", L"p.exe"));
    values.push_back(TempValue::Text(user.get(), run, L"one, two", L"c.exe"));
    values.push_back(TempValue::Text(user.get(), run, L"   ", L"blank.exe"));
    values.push_back(TempValue::Text(user.get(), run, L"", L"default.exe"));
    for (const TempValue& value : values)
        ASSERT_TRUE(value.ok());

    const std::vector<StartupEntry> rows = ReadRunKeys({machine.get(), user.get()});
    wchar_t root[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH);
    const struct {
        const wchar_t* name;
        std::wstring command;
    } expected[] = {
        {L"plain", L"\"C:\\Apps\\plain.exe\" /q"},
        {L"expand", std::wstring(root) + L"\\x.exe"},
        {L"number", L"&h1F"},
        {L"binary", L""},
        {L"multi", L""},
        {L"padded", L"p.exe"},
        {L"one, two", L"c.exe"}, // one name, kept whole
    };
    for (const auto& e : expected) {
        const StartupEntry* row = Find(rows, e.name, StartupHive::User);
        ASSERT_NE(row, nullptr) << Narrow(e.name);
        EXPECT_EQ(row->commandLine, e.command) << Narrow(e.name);
        EXPECT_EQ(row->key, StartupKey::Windows);
    }
    // Blank names are no rows; the untrimmed name is what deletes the value.
    EXPECT_EQ(rows.size(), std::size(expected));
    EXPECT_EQ(Find(rows, L"padded", StartupHive::User)->valueName, L"  padded  ");
}

TEST(RunKeys, EachSourceIsReadWhenItsRuleSaysSo) {
    const struct Case {
        const char* what;
        bool machineRun, machineNt, userRun, userNt;
        std::vector<std::wstring> names; // in list order
    } cases[] = {
        {"both keys everywhere: the windows keys", true, true, true, true, {L"m-run", L"u-run"}},
        {"machine windows key missing: its nt key", false, true, true, false, {L"m-nt", L"u-run"}},
        {"user windows key missing: its nt key", true, false, false, true, {L"m-run", L"u-nt"}},
        {"nothing at all", false, false, false, false, {}},
    };
    for (const Case& c : cases) {
        TestKey machine(L"machine"), user(L"user");
        std::vector<TempValue> values;
        if (c.machineRun)
            values.push_back(TempValue::Text(machine.get(), kRunKey, L"m-run", L"m.exe"));
        if (c.machineNt)
            values.push_back(TempValue::Text(machine.get(), kNtRunKey, L"m-nt", L"m.exe"));
        if (c.userRun)
            values.push_back(TempValue::Text(user.get(), kRunKey, L"u-run", L"u.exe"));
        if (c.userNt)
            values.push_back(TempValue::Text(user.get(), kNtRunKey, L"u-nt", L"u.exe"));
        const std::vector<StartupEntry> rows = ReadRunKeys({machine.get(), user.get()});
        EXPECT_EQ(NamesOf(rows), c.names) << c.what;
        for (const StartupEntry& row : rows) {
            EXPECT_EQ(row.hive, row.Name()[0] == L'm' ? StartupHive::Machine : StartupHive::User);
            EXPECT_EQ(row.key,
                      row.Name().ends_with(L"nt") ? StartupKey::WindowsNt : StartupKey::Windows);
        }
    }
}

TEST(RunKeys, MachineEntriesComeFromBothViewsAndAreRemovedInTheirOwn) {
    const std::wstring name = L"tessaly view " + std::to_wstring(::GetCurrentProcessId());
    TempValue native =
        TempValue::Text(HKEY_LOCAL_MACHINE, kRunKey, name, L"c:\\n\\native.exe", KEY_WOW64_64KEY);
    TempValue wow =
        TempValue::Text(HKEY_LOCAL_MACHINE, kRunKey, name, L"c:\\w\\wow.exe", KEY_WOW64_32KEY);
    ASSERT_TRUE(native.ok() && wow.ok());

    const std::vector<StartupEntry> rows = ReadRunKeys();
    const StartupEntry* first = Find(rows, name, StartupHive::Machine, StartupView::Native);
    const StartupEntry* second = Find(rows, name, StartupHive::Machine, StartupView::Wow32);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr) << "the 32-bit view was not read";
    EXPECT_EQ(first->commandLine, L"c:\\n\\native.exe");
    EXPECT_EQ(second->commandLine, L"c:\\w\\wow.exe");
    EXPECT_LT(first, second) << "the 64-bit view comes first";
    EXPECT_EQ(StartupCellText(*second, StartupColumn::Location), L"Registry machine section");

    EXPECT_EQ(DeleteRunValue(*second), ERROR_SUCCESS);
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kRunKey, name, KEY_WOW64_32KEY));
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kRunKey, name, KEY_WOW64_64KEY));
}

TEST(RunKeys, AUserEntryGoesFromBothUserKeysAndTheMachineKeepsItsOwn) {
    TestKey machine(L"machine"), user(L"user");
    TempValue inRun = TempValue::Text(user.get(), kRunKey, L"agent", L"a.exe");
    TempValue inNt = TempValue::Text(user.get(), kNtRunKey, L"agent", L"a.exe");
    TempValue machineOne = TempValue::Text(machine.get(), kRunKey, L"agent", L"a.exe");
    const RunKeyRoots roots{machine.get(), user.get()};
    const std::vector<StartupEntry> rows = ReadRunKeys(roots);
    const StartupEntry* entry = Find(rows, L"agent", StartupHive::User);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(DeleteRunValue(*entry, roots), ERROR_SUCCESS);
    EXPECT_FALSE(ValueExists(user.get(), kRunKey, L"agent"));
    EXPECT_FALSE(ValueExists(user.get(), kNtRunKey, L"agent"));
    EXPECT_TRUE(ValueExists(machine.get(), kRunKey, L"agent"));
    // Gone already: not an error.
    EXPECT_EQ(DeleteRunValue(*entry, roots), ERROR_SUCCESS);
}

TEST(RunKeys, TheStatusPassFindsTheProgramAndWhetherItRuns) {
    ScratchFolder scratch(L"tessaly status");
    const std::wstring program = scratch.PlaceSleeper(Unique(L"StatusAgent"));
    ASSERT_FALSE(program.empty());
    SleeperProcess running = SleeperProcess::Start(program);
    ASSERT_TRUE(running.running()) << running.error();
    const std::wstring file = FileNamePart(program);

    const struct Case {
        std::wstring command;
        std::wstring path, fileName;
        bool running;
    } cases[] = {
        {L"\"" + program + L"\" /tray", Lower(program), Lower(file), true},
        // A bare name outside the Windows folders keeps its name, so it is seen running.
        {file + L" -x", Lower(file), Lower(file), true},
        // A file that is not there still names its program; it just does not run.
        {L"C:\\Nowhere\\" + Unique(L"Gone"), L"c:\\nowhere\\" + Lower(Unique(L"Gone")),
         Lower(Unique(L"Gone")), false},
        {L"c:\\scripts\\start.bat", L"", L"", false},
    };
    std::vector<StartupEntry> entries;
    for (const Case& c : cases) {
        StartupEntry& entry = entries.emplace_back();
        entry.commandLine = c.command;
    }
    StartupStatusPass(entries);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(entries[i].path, c.path) << Narrow(c.command);
        EXPECT_EQ(entries[i].fileName, c.fileName) << Narrow(c.command);
        EXPECT_EQ(entries[i].running, c.running) << Narrow(c.command);
    }
    // A bare name the Windows folder has resolves there.
    std::vector<StartupEntry> system(1);
    system[0].commandLine = L"RUNDLL32.EXE shell32.dll,Control_RunDLL";
    StartupStatusPass(system);
    EXPECT_TRUE(FileExists(system[0].path)) << Narrow(system[0].path);
    EXPECT_EQ(system[0].fileName, L"rundll32.exe");
}

// --- The remembered names ---

class SnapshotTest : public ::testing::Test {
protected:
    TestKey machine_{L"machine"}, user_{L"user"};
    SettingsStore settings_{machine_.get(), user_.get()};
    ScratchFolder scratch_{L"tessaly snapshot"};
    std::wstring program() const { return scratch_.path() + L"\\program"; }
    std::wstring local() const { return scratch_.path() + L"\\local"; }
    void SetUp() override { std::filesystem::create_directories(std::filesystem::path(program())); }
};

TEST_F(SnapshotTest, TheFirstCheckRemembersLaterOnesMarkAndAcceptingClears) {
    StartupSnapshot snapshot(settings_, program(), local());
    const StartupSnapshot::Result first = snapshot.Check({L"Alpha", L"Beta"});
    EXPECT_TRUE(first.first);
    EXPECT_FALSE(first.AnyNew());
    EXPECT_EQ(FileBytes(program() + L"\\startst.txt"), "alpha\r\nbeta\r\n");
    EXPECT_EQ(settings_.Text(L"SOFTWARE\\orvix\\tessaly", L"start1st"), L"1");

    const StartupSnapshot::Result later = snapshot.Check({L"ALPHA", L"Gamma", L"beta", L"gamma"});
    EXPECT_FALSE(later.first);
    EXPECT_EQ(later.marks, (std::vector<bool>{false, true, false, true}));
    // The work files are gone after each check; the baseline stays as it was.
    EXPECT_FALSE(FileExists(program() + L"\\starttmp.txt"));
    EXPECT_FALSE(FileExists(program() + L"\\starttmp2.txt"));
    EXPECT_EQ(FileBytes(program() + L"\\startst.txt"), "alpha\r\nbeta\r\n");

    ASSERT_TRUE(snapshot.Accept({L"ALPHA", L"Gamma", L"beta", L"gamma"}));
    EXPECT_FALSE(snapshot.Check({L"alpha", L"gamma", L"beta"}).AnyNew());
    EXPECT_FALSE(FileExists(program() + L"\\startst.txt.new"));

    // A baseline deleted by hand: every name is new.
    ::DeleteFileW((program() + L"\\startst.txt").c_str());
    EXPECT_EQ(snapshot.Check({L"alpha", L"beta"}).marks, (std::vector<bool>{true, true}));
    EXPECT_FALSE(FileExists(local())) << "nothing goes to the user's folder";
}

TEST_F(SnapshotTest, AProgramFolderThatCannotBeWrittenSendsTheFilesToTheUsersFolder) {
    // /proc takes no files, whoever asks.
    StartupSnapshot unwritable(settings_, L"Z:\\proc", local());
    EXPECT_TRUE(unwritable.Check({L"one"}).first);
    EXPECT_EQ(FileBytes(local() + L"\\startst.txt"), "one\r\n");
    EXPECT_TRUE(unwritable.Check({L"one", L"two"}).marks.back());

    // A baseline kept there is used first, even beside a writable program folder.
    StartupSnapshot writable(settings_, program(), local());
    EXPECT_EQ(writable.Check({L"one", L"two"}).marks, (std::vector<bool>{false, true}));
    EXPECT_FALSE(FileExists(program() + L"\\startst.txt"));
}

TEST_F(SnapshotTest, AMachineHiveThatRefusesTheMarkerKeepsItPerUser) {
    machine_.DenyWrites(L"SOFTWARE\\orvix\\tessaly");
    StartupSnapshot snapshot(settings_, program(), local());
    EXPECT_TRUE(snapshot.Check({L"one"}).first);
    EXPECT_EQ(test::RawText(user_.get(), L"SOFTWARE\\orvix\\tessaly", L"start1st"), L"1");
    const StartupSnapshot::Result later = snapshot.Check({L"one", L"two"});
    EXPECT_FALSE(later.first) << "every check was a first check";
    EXPECT_EQ(later.marks, (std::vector<bool>{false, true}));
}

TEST_F(SnapshotTest, ANameBeyondTheCodePageIsRememberedAcrossStarts) {
    const std::vector<std::wstring> names = {L"\u65e5\u672c Agent", L"plain"};
    EXPECT_TRUE(StartupSnapshot(settings_, program(), local()).Check(names).first);
    EXPECT_EQ(FileBytes(program() + L"\\startst.txt").substr(0, 3), "\xEF\xBB\xBF");
    // A second start reads it back as it was: not new, so not announced.
    EXPECT_FALSE(StartupSnapshot(settings_, program(), local()).Check(names).AnyNew());
    // Garbage and a huge file are read as names, never a crash.
    std::ofstream(std::filesystem::path(program() + L"\\startst.txt"), std::ios::binary)
        << std::string(3u << 20, '\xFF') << std::string("\r\n\0\0\r\nplain", 11);
    EXPECT_EQ(StartupSnapshot(settings_, program(), local()).Check(names).marks,
              (std::vector<bool>{true, false}));
}

} // namespace
} // namespace tessaly
