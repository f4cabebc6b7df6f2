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
