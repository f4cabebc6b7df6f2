// The process table and the lookups built on it, against real child processes under Wine.
#include "process/process_query.h"

#include "process/process_list.h"

#include "common/text.h"
#include "support/sleeper_process.h"
#include "win32/handles.h"
#include "win32/platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tlhelp32.h>

namespace tessaly {
namespace {

using test::Narrow;
using test::SameName;
using test::ScratchFolder;
using test::SleeperProcess;
using test::Unique;
using test::Upper;

const ProcessRecord* FindRecord(const std::vector<ProcessRecord>& table, DWORD id) {
    const auto found = std::find_if(table.begin(), table.end(),
                                    [id](const ProcessRecord& r) { return r.processId == id; });
    return found == table.end() ? nullptr : &*found;
}

std::set<DWORD> ToolhelpIds() {
    std::set<DWORD> ids;
    const UniqueSnapshot snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{sizeof entry};
    for (BOOL more = snapshot && ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry))
        ids.insert(entry.th32ProcessID);
    return ids;
}

TEST(ProcessTable, ListsEveryProcessTheSystemReports) {
    // Processes may come and go between the reads; those in both toolhelp snapshots were
    // running throughout and must be in the table.
    const std::set<DWORD> before = ToolhelpIds();
    const std::vector<ProcessRecord> table = ReadProcessTable();
    const std::set<DWORD> after = ToolhelpIds();

    std::set<DWORD> listed;
    for (const ProcessRecord& record : table) {
        EXPECT_TRUE(listed.insert(record.processId).second) << "listed twice: " << record.processId;
        EXPECT_EQ(record.imageName.find(L'\\'), std::wstring::npos) << Narrow(record.imageName);
        EXPECT_GE(record.threadCount, 1u) << Narrow(record.imageName);
        EXPECT_TRUE(record.path.empty()) << "the table opens no process for its path";
    }
    for (DWORD id : before) {
        if (after.count(id)) {
            EXPECT_TRUE(listed.count(id)) << "process " << id << " is missing from the table";
        }
    }

    const ProcessRecord* self = FindRecord(table, ::GetCurrentProcessId());
    ASSERT_NE(self, nullptr);
    EXPECT_TRUE(SameName(self->imageName, L"process_wtest.exe")) << Narrow(self->imageName);
    EXPECT_GT(self->workingSetKb, 0u);
    EXPECT_GT(self->creationTime, 0u);
}

TEST(ProcessTable, NamesMatchWholeNeverByTheirEnding) {
    // Whatever runs here (Wine's svchost.exe, say): the name without its first letter must
    // find nothing, or a process of exactly that name.
    const std::vector<ProcessRecord> table = ReadProcessTable();
    for (const ProcessRecord& record : table) {
        const std::wstring tail = record.imageName.substr(1);
        if (const DWORD id = FindProcessId(tail)) {
            const ProcessRecord* found = FindRecord(ReadProcessTable(), id);
            ASSERT_NE(found, nullptr);
            EXPECT_TRUE(SameName(found->imageName, tail))
                << Narrow(tail) << " found " << Narrow(found->imageName);
        }
        const std::wstring path = IsApplicationRunning(tail);
        if (!path.empty()) {
            EXPECT_TRUE(SameName(FileNamePart(path), tail))
                << Narrow(tail) << " found " << Narrow(path);
        }
    }
}

TEST(SortRows, TextsSortAsTheUsersLocaleDoesIgnoringCase) {
    const std::vector<std::wstring> expected = {L"apple.exe", L"\u00DCn\u00EFc\u00F8d\u00E9.exe",
                                                L"winedevice.exe", L"Zeta.exe"};
    for (const ProcessColumn column : {ProcessColumn::Name, ProcessColumn::Path}) {
        std::vector<ProcessRecord> rows;
        for (const std::wstring& name : {expected[2], expected[3], expected[1], expected[0]}) {
            ProcessRecord row;
            row.imageName = name;
            row.path = L"c:\\" + name;
            rows.push_back(row);
        }
        SortRows(rows, {column, false});
        std::vector<std::wstring> order;
        for (const ProcessRecord& row : rows)
            order.push_back(row.imageName);
        EXPECT_EQ(order, expected) << static_cast<int>(column);
    }
}

TEST(ProcessQuery, SystemFacts) {
    wchar_t windows[MAX_PATH] = {};
    ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    EXPECT_TRUE(SameName(SystemRootPath(), windows)) << Narrow(SystemRootPath());
    EXPECT_EQ(GetPlatformId(), static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
}

class ProcessQueryWithSleepers : public ::testing::Test {
protected:
    static void SetUpTestSuite() { scratch_ = new ScratchFolder(L"tessaly process"); }
    static void TearDownTestSuite() {
        delete scratch_;
        scratch_ = nullptr;
    }
    static ScratchFolder& scratch() { return *scratch_; }

private:
    static ScratchFolder* scratch_;
};

ScratchFolder* ProcessQueryWithSleepers::scratch_ = nullptr;

TEST_F(ProcessQueryWithSleepers, AProgramWithoutAnExtensionIsListed) {
    const std::wstring name = L"noext" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring path = scratch().PlaceSleeper(L"app\\" + name);
    ASSERT_FALSE(path.empty());
    SleeperProcess child = SleeperProcess::Start(path);
    ASSERT_STARTED(child);
    const std::vector<ProcessRecord> table = ReadProcessTable();
    const ProcessRecord* record = FindRecord(table, child.id());
    ASSERT_NE(record, nullptr) << "a process named without a dot is missing";
    EXPECT_TRUE(SameName(record->imageName, name)) << Narrow(record->imageName);
}

TEST_F(ProcessQueryWithSleepers, FindsTheTwoCopiesByExactName) {
    const std::wstring name = Unique(L"sleeper");
    const std::wstring plainPath = scratch().PlaceSleeper(L"plain\\" + name);
    const std::wstring unicodePath = scratch().PlaceSleeper(L"tessaly \u00fc test\\" + name);
    // Same ending, longer name: must never stand in for `name`.
    const std::wstring longerPath = scratch().PlaceSleeper(L"plain\\x" + name);
    ASSERT_FALSE(plainPath.empty());
    ASSERT_FALSE(unicodePath.empty());
    ASSERT_FALSE(longerPath.empty());

    // The longer name starts first, so it comes first wherever the system lists by age.
    SleeperProcess longer = SleeperProcess::Start(longerPath);
    ASSERT_STARTED(longer);
    SleeperProcess plain = SleeperProcess::Start(plainPath);
    ASSERT_STARTED(plain);
    SleeperProcess unicode = SleeperProcess::Start(unicodePath);
    ASSERT_STARTED(unicode);
    const std::set<DWORD> ours = {plain.id(), unicode.id()};

    EXPECT_TRUE(ours.count(FindProcessId(name))) << FindProcessId(name);
    EXPECT_TRUE(ours.count(FindProcessId(Upper(name))));
    EXPECT_EQ(FindProcessId(L"x" + name), longer.id());
    EXPECT_EQ(FindProcessId(name.substr(1)), 0u);

    const std::wstring running = IsApplicationRunning(name);
    EXPECT_TRUE(SameName(running, plainPath) || SameName(running, unicodePath)) << Narrow(running);
    // Only the file-name part of what is asked counts.
    const std::wstring byPath = IsApplicationRunning(L"C:\\nowhere\\" + Upper(name));
    EXPECT_TRUE(SameName(byPath, plainPath) || SameName(byPath, unicodePath)) << Narrow(byPath);
    EXPECT_TRUE(SameName(IsApplicationRunning(L"x" + name), longerPath));
    EXPECT_EQ(IsApplicationRunning(name.substr(1)), L"");

    const std::vector<ProcessRecord> table = ReadProcessTable();
    for (const auto* child : {&plain, &unicode, &longer}) {
        const ProcessRecord* record = FindRecord(table, child->id());
        ASSERT_NE(record, nullptr) << "process " << child->id() << " is not listed";
        EXPECT_TRUE(SameName(record->imageName, child == &longer ? L"x" + name : name))
            << Narrow(record->imageName);
        EXPECT_GE(record->threadCount, 1u);
        EXPECT_EQ(record->parentId, ::GetCurrentProcessId());
    }

    // Each copy reports its own folder, the non-ASCII one intact.
    EXPECT_TRUE(SameName(ProcessImagePath(plain.id()), plainPath))
        << Narrow(ProcessImagePath(plain.id()));
    EXPECT_TRUE(SameName(ProcessImagePath(unicode.id()), unicodePath))
        << Narrow(ProcessImagePath(unicode.id()));

    for (auto* child : {&plain, &unicode, &longer})
        ASSERT_TRUE(child->Kill());
    const std::vector<ProcessRecord> afterwards = ReadProcessTable();
    for (DWORD id : {plain.id(), unicode.id(), longer.id()})
        EXPECT_EQ(FindRecord(afterwards, id), nullptr) << "process " << id << " is still listed";
    EXPECT_EQ(FindProcessId(name), 0u);
    EXPECT_EQ(FindProcessId(L"x" + name), 0u);
    EXPECT_EQ(IsApplicationRunning(name), L"");
}

TEST_F(ProcessQueryWithSleepers, ProcessThatEndsAfterTheSnapshotIsSimplyGone) {
    const std::wstring name = Unique(L"ending");
    const std::wstring path = scratch().PlaceSleeper(name);
    ASSERT_FALSE(path.empty());
    SleeperProcess child = SleeperProcess::Start(path);
    ASSERT_STARTED(child);

    const std::vector<ProcessRecord> table = ReadProcessTable();
    const ProcessRecord* record = FindRecord(table, child.id());
    ASSERT_NE(record, nullptr);
    // Someone else still holds the ended process, so its ID can still be opened.
    const UniqueKernelHandle held(::OpenProcess(SYNCHRONIZE, FALSE, child.id()));
    ASSERT_TRUE(held);
    ASSERT_TRUE(child.Kill());

    // What the old table says is stale now; every lookup reports "not running".
    EXPECT_EQ(ProcessImagePath(record->processId), L"");
    EXPECT_EQ(FindProcessId(record->imageName), 0u);
    EXPECT_EQ(IsApplicationRunning(path), L"");
    for (const ProcessRecord& stale : table)
        ProcessImagePath(stale.processId); // the others may be gone too; none may break
}

TEST_F(ProcessQueryWithSleepers, ManyProcessesAreAllListed) {
    constexpr int kCount = 40;
    const std::wstring crowdPath = scratch().PlaceSleeper(L"crowd\\" + Unique(L"crowd"));
    const std::wstring lastName = Unique(L"crowd-last");
    const std::wstring lastPath = scratch().PlaceSleeper(L"crowd\\" + lastName);
    ASSERT_FALSE(crowdPath.empty());
    ASSERT_FALSE(lastPath.empty());

    std::vector<SleeperProcess> crowd; // kills every one of them on the way out
    crowd.reserve(kCount);
    for (int i = 0; i < kCount; ++i) {
        crowd.push_back(SleeperProcess::Start(i + 1 < kCount ? crowdPath : lastPath));
        ASSERT_STARTED(crowd.back()) << " (child " << i + 1 << ")";
    }

    EXPECT_EQ(FindProcessId(lastName), crowd.back().id());
    EXPECT_TRUE(SameName(IsApplicationRunning(lastName), lastPath));
    const std::vector<ProcessRecord> table = ReadProcessTable();
    EXPECT_GE(table.size(), static_cast<size_t>(kCount));
    for (const SleeperProcess& child : crowd)
        EXPECT_NE(FindRecord(table, child.id()), nullptr)
            << "process " << child.id() << " is not listed";
}

} // namespace
} // namespace tessaly
