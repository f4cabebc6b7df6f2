#include "monitor/monitor_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tessaly {
namespace {

// The host build formats with "." and ",".
struct SizeCase {
    int64_t bytes;
    const wchar_t* text;
};

TEST(NumberInKB, PicksTheUnitBeforeRoundingHalfToEven) {
    const SizeCase cases[] = {
        {0, L"0 bytes"},
        {1023, L"1023 bytes"},
        {1024, L"1.000 KB"},
        {1536, L"1.500 KB"},
        {1280, L"1.200 KB"},       // 1.25 to one place, half to even
        {1331, L"1.300 KB"},       // 1.2998 rounds up
        {1048535, L"1024.000 KB"}, // 1023.96 KB stays in KB
        {1048576, L"1.000 MB"},
        {1572864, L"1.500 MB"},
        {1610612736, L"1.500 GB"},
        {8589934592, L"8.000 GB"},
        {25769803776, L"24.000 GB"},
        {1099511627776, L"1.000 TB"},
        {1125899906842624, L"1.000 PB"},
        {int64_t{1} << 60, L"1.000 EB"},
        {INT64_MAX, L"8.000 EB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberInKB(c.bytes), c.text) << c.bytes;
}

TEST(FormatSize, TakesSixtyFourBitCountsWithTheShortPatterns) {
    const SizeCase cases[] = {
        {-1, L"0.0KB (0 bytes)"},   {0, L"0 bytes"},          {1023, L"1,023 bytes"},
        {1024, L"1.00 KB"},         {5120, L"5.00 KB"},       {10239, L"10.00 KB"}, // k = 9
        {10240, L"10.0 KB"},        {1048576, L"1.00 MB"},                          // k = 1024
        {134217728, L"128.0 MB"},   {2147483647, L"2.00 GB"}, {8589934592, L"8.00 GB"},
        {25769803776, L"24.00 GB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

TEST(ToTime, ChangesUnitAtAMinuteAndAnHourWithoutSingulars) {
    const struct {
        int32_t seconds;
        const wchar_t* text;
    } cases[] =
        {
            {0, L"0 seconds"},  {45, L"45 seconds"},   {59, L"59 seconds"},
            {60, L"1 minutes"}, {90, L"1.5 minutes"},  {3599, L"59.98 minutes"},
            {3600, L"1 hours"}, {5400, L"1.5 hours"},  {7200, L"2 hours"},
            {3618, L"1 hours"}, {3654, L"1.02 hours"}, // 1.005 and 1.015: half to even
        };
    for (const auto& c : cases)
        EXPECT_EQ(ToTime(c.seconds), c.text) << c.seconds;
}

TEST(CpuSpeedText, GigahertzAbove999Megahertz) {
    EXPECT_EQ(CpuSpeedText(0), L"0.00 MHz");
    EXPECT_EQ(CpuSpeedText(999), L"999.00 MHz");
    EXPECT_EQ(CpuSpeedText(1000), L"1.00 GHz");
    EXPECT_EQ(CpuSpeedText(2394), L"2.39 GHz");
    EXPECT_EQ(CpuSpeedText(3000), L"3.00 GHz");
}

TEST(PowerCheck, FillsThePowerRowsFromBothReads) {
    const auto read = [](uint8_t ac, uint8_t flag, uint8_t percent, uint32_t life) {
        return PowerRead{true, ac, flag, percent, life};
    };
    const PowerRead failed{};
    const struct {
        const char* name;
        PowerRead first, second;
        const wchar_t* status;
        const wchar_t* source; // nullptr: left as it is
        const wchar_t* life;
        const wchar_t* level; // nullptr: left as it is
        int alert;            // -1: left as it is
    } cases[] = {
        {"desktop without battery", read(1, 128, 255, 0xFFFFFFFF), read(1, 128, 255, 0xFFFFFFFF),
         L"No system battery", L"On Line", L"Unknown", L"100.000 %", -1},
        {"on battery at 7 %", read(0, 2, 7, 1800), read(0, 2, 7, 1800), L"Low", L"Battery",
         L"30 minutes", L"7.000 %", 1},
        {"exactly 10 %", read(0, 4, 10, 59), read(0, 4, 10, 59), L"Critical", L"Battery",
         L"59 seconds", L"10.000 %", 1},
        {"11 %", read(0, 1, 11, 7200), read(0, 1, 11, 7200), L"High", L"Battery", L"2 hours",
         L"11.000 %", 0},
        {"charging", read(1, 8, 50, 0xFFFFFFFF), read(1, 9, 50, 0), L"Charging", L"On Line",
         L"Unknown", L"50.000 %", 0},
        {"charging and low together", read(1, 10, 9, 0xFFFFFFFF), read(1, 10, 9, 0), L"Unknown",
         L"On Line", L"Unknown", L"9.000 %", 1},
        {"unknown percent off line", read(0, 255, 255, 0xFFFFFFFF), read(0, 255, 255, 0),
         L"Unknown", L"Battery", L"Unknown", L"0.000 %", -1},
        {"AC status unknown", read(255, 1, 80, 100), read(255, 1, 80, 100), L"High", L"Unknown",
         L"1.67 minutes", L"80.000 %", 0},
        {"AC status of no meaning", read(2, 1, 80, 100), read(2, 1, 80, 100), L"High", nullptr,
         L"1.67 minutes", L"80.000 %", 0},
        {"second read failed", read(1, 128, 255, 0xFFFFFFFF), failed, L"No system battery",
         L"Error", L"Unknown", L"0.000 %", -1},
        {"percent out of range", read(1, 1, 150, 60), read(1, 1, 150, 60), L"High", L"On Line",
         L"1 minutes", nullptr, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PowerRows rows = PowerCheck(c.first, c.second);
        EXPECT_EQ(rows.status, c.status);
        EXPECT_EQ(rows.source.has_value(), c.source != nullptr);
        if (rows.source && c.source)
            EXPECT_EQ(*rows.source, c.source);
        EXPECT_EQ(rows.life, c.life);
        EXPECT_EQ(rows.level.has_value(), c.level != nullptr);
        if (c.level)
            EXPECT_EQ(rows.levelText, c.level);
        EXPECT_EQ(rows.levelAlert ? int(*rows.levelAlert) : -1, c.alert);
    }
}

TEST(StatusWindowPlace, RightEdge500TwipsUpThenInsideTheWorkArea) {
    const ScreenRect screen{0, 0, 1280, 800};
    const struct {
        const char* name;
        ScreenRect work;
        unsigned dpi;
        int left, top;
    } cases[] = {
        {"96 DPI, no taskbar", screen, 96, 1280 - 300, 800 - 400 - 33},
        {"144 DPI, no taskbar", screen, 144, 1280 - 300, 800 - 400 - 50},
        {"taskbar taller than 500 twips", {0, 0, 1280, 752}, 96, 980, 752 - 400},
        {"short taskbar stays clear", {0, 0, 1280, 780}, 96, 980, 367},
        {"taskbar on the right", {0, 0, 1200, 800}, 96, 900, 367},
        {"work area lower than the window", {0, 100, 1280, 450}, 96, 980, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WindowPlace place = StatusWindowPlace(screen, c.work, 300, 400, c.dpi);
        EXPECT_EQ(place.left, c.left);
        EXPECT_EQ(place.top, c.top);
    }
}

} // namespace
} // namespace tessaly
