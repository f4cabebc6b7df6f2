#include "process/process_view.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(ProcessCellText, EachColumnShowsItsOwnField) {
    ProcessRecord record;
    record.imageName = L"Explorer.EXE";
    record.workingSetKb = 41234;
    record.processId = 1568;
    record.threadCount = 27;
    record.parentId = 1500;
    record.path = L"c:\\windows\\explorer.exe";

    EXPECT_EQ(ProcessCellText(record, ProcessColumn::Name), L"Explorer.EXE");
    EXPECT_EQ(ProcessCellText(record, ProcessColumn::Memory), L"41234");
    EXPECT_EQ(ProcessCellText(record, ProcessColumn::Id), L"1568");
    EXPECT_EQ(ProcessCellText(record, ProcessColumn::Threads), L"27");
    EXPECT_EQ(ProcessCellText(record, ProcessColumn::Path), L"c:\\windows\\explorer.exe");
}

TEST(ProcessCellText, LargeUnsignedFieldsAreNotShownNegative) {
    ProcessRecord record;
    record.workingSetKb = UINT32_MAX;
    record.processId = 0x80000000u;
    EXPECT_EQ(ProcessCellText(record, ProcessColumn::Memory), L"4294967295");
    EXPECT_EQ(ProcessCellText(record, ProcessColumn::Id), L"2147483648");
}

} // namespace
} // namespace tessaly

namespace tessaly {
namespace {

TEST(DetailsFor, TextsOfTheDetailsArea) {
    ProcessRecord row;
    row.imageName = L"tool.exe";
    const ProcessDetails known = DetailsFor(row, true, 849304, {L"Orvix", L"A tool", L"1.2.3"});
    EXPECT_EQ(known.size, L"849304 Byte");
    EXPECT_EQ(known.company, L"Orvix");
    EXPECT_EQ(known.readMoreLink, L"Read more about tool.exe");
    EXPECT_EQ(known.terminateLink, L"Terminate tool.exe Process");
    // A file that cannot be read shows no size, not a unit without a number.
    EXPECT_EQ(DetailsFor(row, false, 0, {}).size, L"");
}

TEST(DetailsFor, NamesWithBidiOverridesCannotSpoofWhatIsShown) {
    ProcessRecord row;
    row.imageName = L"invoice\u202Egpj.exe";
    row.path = L"c:\\in\u202Ebox\\invoice\u202Egpj.exe";
    const ProcessDetails shown = DetailsFor(row, false, 0, {});
    EXPECT_EQ(shown.name, L"invoice\uFFFDgpj.exe");
    EXPECT_EQ(shown.terminateLink, L"Terminate invoice\uFFFDgpj.exe Process");
    EXPECT_EQ(shown.readMoreLink, L"Read more about invoice\uFFFDgpj.exe");
    EXPECT_EQ(ProcessCellText(row, ProcessColumn::Name), L"invoice\uFFFDgpj.exe");
    EXPECT_EQ(ProcessCellText(row, ProcessColumn::Path), L"c:\\in\uFFFDbox\\invoice\uFFFDgpj.exe");
}

TEST(FolderOf, KeepsTheLastBackslash) {
    EXPECT_EQ(FolderOf(L"C:\\WINDOWS\\system32\\smss.exe"), L"C:\\WINDOWS\\system32\\");
    EXPECT_EQ(FolderOf(L"c:\\tool.exe"), L"c:\\");
    EXPECT_EQ(FolderOf(L"tool.exe"), L"");
    EXPECT_EQ(FolderOf(L""), L"");
}

} // namespace
} // namespace tessaly
