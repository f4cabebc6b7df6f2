#include "process/process_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly {
namespace {

ProcessRecord Row(const wchar_t* name, uint32_t id, uint32_t kb, uint64_t created = 1) {
    ProcessRecord row;
    row.imageName = name;
    row.processId = id;
    row.workingSetKb = kb;
    row.threadCount = id % 7 + 1;
    row.creationTime = created;
    return row;
}

std::vector<uint32_t> Ids(const std::vector<ProcessRecord>& rows) {
    std::vector<uint32_t> ids;
    for (const auto& row : rows)
        ids.push_back(row.processId);
    return ids;
}

TEST(SortRows, NumbersSortByValueAndTextIgnoresCase) {
    std::vector<ProcessRecord> rows = {Row(L"b.exe", 8, 10), Row(L"A.exe", 4, 9),
                                       Row(L"c.exe", 12, 100)};
    SortRows(rows, {ProcessColumn::Memory, false});
    EXPECT_EQ(Ids(rows), (std::vector<uint32_t>{4, 8, 12})); // 9 before 10 before 100
    SortRows(rows, {ProcessColumn::Memory, true});
    EXPECT_EQ(Ids(rows), (std::vector<uint32_t>{12, 8, 4}));
    SortRows(rows, {ProcessColumn::Name, false});
    EXPECT_EQ(Ids(rows), (std::vector<uint32_t>{4, 8, 12})); // "A" with the a's, not first by code
    SortRows(rows, {ProcessColumn::Id, true});
    EXPECT_EQ(Ids(rows), (std::vector<uint32_t>{12, 8, 4}));
}

TEST(SortRows, EqualKeysKeepTheirOrder) {
    std::vector<ProcessRecord> rows = {Row(L"svchost.exe", 30, 5), Row(L"SVCHOST.EXE", 10, 5),
                                       Row(L"svchost.exe", 20, 5)};
    SortRows(rows, {ProcessColumn::Name, false});
    EXPECT_EQ(Ids(rows), (std::vector<uint32_t>{30, 10, 20}));
    SortRows(rows, {ProcessColumn::Memory, true});
    EXPECT_EQ(Ids(rows), (std::vector<uint32_t>{30, 10, 20}));
}

TEST(NextSortState, RepeatedClicksToggleAndANewColumnStartsAscending) {
    SortState state;
    state = NextSortState(state, ProcessColumn::Memory);
    EXPECT_EQ(state.column, ProcessColumn::Memory);
    EXPECT_FALSE(state.descending);
    state = NextSortState(state, ProcessColumn::Memory);
    EXPECT_TRUE(state.descending);
    state = NextSortState(state, ProcessColumn::Memory);
    EXPECT_FALSE(state.descending);
    state = NextSortState(NextSortState(state, ProcessColumn::Memory), ProcessColumn::Name);
    EXPECT_EQ(state.column, ProcessColumn::Name);
    EXPECT_FALSE(state.descending);
    // The default is the name column ascending, so the first click on it turns it round.
    EXPECT_TRUE(NextSortState(SortState{}, ProcessColumn::Name).descending);
}

TEST(ResolveRows, ReadsEachProcessInstanceOnceAndCleansItsPath) {
    ProcessFactsCache cache;
    int reads = 0;
    const FactsReader reader = [&](const ProcessRecord& row) {
        ++reads;
        return LastingFacts{L"\\SystemRoot\\System32\\" + row.imageName,
                            static_cast<int>(row.processId)};
    };
    std::vector<ProcessRecord> table = {Row(L"smss.exe", 4, 100), Row(L"tool.exe", 8, 200)};
    auto rows = ResolveRows(table, cache, reader, L"C:\\WINDOWS");
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(rows[0].path, L"C:\\WINDOWS\\system32\\smss.exe");
    EXPECT_EQ(rows[1].iconIndex, 8);

    // Same instances with new working sets: nothing is read, the fresh figures stay.
    table[0].workingSetKb = 150;
    rows = ResolveRows(table, cache, reader, L"C:\\WINDOWS");
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(rows[0].workingSetKb, 150u);
    EXPECT_EQ(rows[0].path, L"C:\\WINDOWS\\system32\\smss.exe");

    // A reused ID is another process: it is read afresh.
    table[1] = Row(L"other.exe", 8, 1, 99);
    rows = ResolveRows(table, cache, reader, L"C:\\WINDOWS");
    EXPECT_EQ(reads, 3);
    EXPECT_EQ(rows[1].path, L"C:\\WINDOWS\\system32\\other.exe");
}

TEST(ResolveRows, ForgetsEndedProcessesAndCopesWithAnyOrder) {
    ProcessFactsCache cache;
    int reads = 0;
    const FactsReader reader = [&](const ProcessRecord& row) {
        ++reads;
        return LastingFacts{L"c:\\" + row.imageName, 1};
    };
    std::vector<ProcessRecord> table;
    for (uint32_t id = 1; id <= 50; ++id)
        table.push_back(Row(L"p.exe", id * 4, id));
    ResolveRows(table, cache, reader, L"");
    EXPECT_EQ(cache.size(), 50u);

    // Half have ended, the rest come in reverse order: nothing new is read.
    std::vector<ProcessRecord> later(table.rbegin(), table.rbegin() + 25);
    const auto rows = ResolveRows(later, cache, reader, L"");
    EXPECT_EQ(reads, 50);
    EXPECT_EQ(cache.size(), 25u);
    for (const auto& row : rows)
        EXPECT_EQ(row.path, L"c:\\p.exe");
}

TEST(ResolveRows, AnUnreadablePathStaysEmpty) {
    ProcessFactsCache cache;
    const auto rows = ResolveRows(
        {Row(L"System.exe", 4, 1)}, cache, [](const ProcessRecord&) { return LastingFacts{}; },
        L"C:\\W");
    EXPECT_TRUE(rows[0].path.empty());
    EXPECT_EQ(rows[0].iconIndex, -1);
}

TEST(RowOfProcess, FindsTheRowOrMinusOne) {
    const std::vector<ProcessRecord> rows = {Row(L"a.exe", 4, 1), Row(L"b.exe", 8, 1)};
    EXPECT_EQ(RowOfProcess(rows, 8), 1);
    EXPECT_EQ(RowOfProcess(rows, 12), -1);
}

} // namespace
} // namespace tessaly
