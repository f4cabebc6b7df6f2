#include "shell/status_texts.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(StatusTexts, PanelsReadAsTheUserSeesThem) {
    EXPECT_EQ(ProcessCountText(0), L"Total Processes: 0");
    EXPECT_EQ(ProcessCountText(312), L"Total Processes: 312");
    EXPECT_EQ(CpuUsageText(0), L"CPU Usage 0.00 %");
    EXPECT_EQ(CpuUsageText(100), L"CPU Usage 100.00 %");
    EXPECT_EQ(CpuUsageText(37), L"CPU Usage 37.00 %");
    EXPECT_EQ(RamUsageText(0), L"RAM Usage 0.000 %");
    EXPECT_EQ(RamUsageText(45), L"RAM Usage 45.000 %");
    EXPECT_EQ(RamUsageText(100), L"RAM Usage 100.000 %");
}

TEST(StatusTexts, FailedCpuQueryLeavesThePanelAsItWas) {
    EXPECT_FALSE(CpuUsageText(-1).has_value());
}

} // namespace
} // namespace tessaly
