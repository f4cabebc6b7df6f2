#include "process/process_control_logic.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tessaly {
namespace {

TEST(ModuleSizeText, PicksTheUnitAtEachBoundary) {
    EXPECT_EQ(ModuleSizeText(0), L"0 Bytes");
    EXPECT_EQ(ModuleSizeText(512), L"512 Bytes");
    EXPECT_EQ(ModuleSizeText(1023), L"1023 Bytes");
    EXPECT_EQ(ModuleSizeText(1024), L"1.00 KB");
    EXPECT_EQ(ModuleSizeText(1536), L"1.50 KB");
    // One byte short of a megabyte still counts in kilobytes, rounded up to the next figure.
    EXPECT_EQ(ModuleSizeText(1048575), L"1024.00 KB");
    EXPECT_EQ(ModuleSizeText(1048576), L"1.00 MB");
    EXPECT_EQ(ModuleSizeText(3 * 1048576ull), L"3.00 MB");
}

TEST(ModuleSizeText, RoundsHalfAwayAndNeverGroupsDigits) {
    EXPECT_EQ(ModuleSizeText(1152), L"1.13 KB");    // 1.125
    EXPECT_EQ(ModuleSizeText(1408), L"1.38 KB");    // 1.375
    EXPECT_EQ(ModuleSizeText(1034), L"1.01 KB");    // 1.0098
    EXPECT_EQ(ModuleSizeText(1029), L"1.00 KB");    // 1.0049
    EXPECT_EQ(ModuleSizeText(1179648), L"1.13 MB"); // 1.125
    EXPECT_EQ(ModuleSizeText(999424), L"976.00 KB");
    // Past four figures there is no thousands separator, and 64-bit sizes do not wrap.
    EXPECT_EQ(ModuleSizeText(5ull << 30), L"5120.00 MB");
    EXPECT_EQ(ModuleSizeText(uint64_t{1} << 40), L"1048576.00 MB");
}

TEST(PriorityMarkIndex, MarksOnlyTheFourClassesTheMenuOffers) {
    EXPECT_EQ(PriorityMarkIndex(0x40), 0);    // idle
    EXPECT_EQ(PriorityMarkIndex(0x20), 1);    // normal
    EXPECT_EQ(PriorityMarkIndex(0x80), 2);    // high
    EXPECT_EQ(PriorityMarkIndex(0x100), 3);   // realtime
    EXPECT_EQ(PriorityMarkIndex(0), -1);      // the query failed
    EXPECT_EQ(PriorityMarkIndex(0x4000), -1); // below normal
    EXPECT_EQ(PriorityMarkIndex(0x8000), -1); // above normal
    EXPECT_EQ(PriorityMarkIndex(0x60), -1);   // no combination of bits is a class
    EXPECT_EQ(PriorityMarkIndex(0xFFFFFFFFu), -1);
}

TEST(ModulesTexts, FrameTheNameExactly) {
    EXPECT_EQ(ModulesCaption(L"notepad.exe"), L"Modules Details For[ notepad.exe]");
    EXPECT_EQ(ModulesCaption(L""), L"Modules Details For[ ]");
    EXPECT_EQ(ModulesCountLine(L"notepad.exe", 23), L"Number of Modules For [ notepad.exe] = 23");
    EXPECT_EQ(ModulesCountLine(L"a b.exe", 0), L"Number of Modules For [ a b.exe] = 0");
    EXPECT_EQ(ModulesCountLine(L"x.exe", 1000000), L"Number of Modules For [ x.exe] = 1000000");
}

TEST(TerminateQuestion, WarnsOnlyAboutCriticalProcesses) {
    EXPECT_EQ(TerminateQuestion(L"notepad.exe", false),
              L"Are you sure to terminate this process\rnotepad.exe");

    const std::wstring critical = TerminateQuestion(L"csrss.exe", true);
    const std::wstring plain = TerminateQuestion(L"csrss.exe", false);
    ASSERT_EQ(critical.compare(0, plain.size(), plain), 0) << "the question itself comes first";
    const std::wstring warning = critical.substr(plain.size());
    EXPECT_EQ(warning.compare(0, 2, L"\r\r"), 0) << "the warning stands apart, two lines down";
    EXPECT_NE(warning.find(L"critical"), std::wstring::npos);
    EXPECT_NE(warning.find(L"Windows"), std::wstring::npos);
    EXPECT_EQ(warning.find(L'\n'), std::wstring::npos) << "lines break with \\r alone";
}

} // namespace
} // namespace tessaly
