#include "controls/tray_logic.h"
#include "memory/memory_figures.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

constexpr uint64_t kMb = 1048576;

TEST(MegabyteFigure, RoundsToOneDecimal) {
    EXPECT_DOUBLE_EQ(MegabyteFigure(0), 0);
    EXPECT_DOUBLE_EQ(MegabyteFigure(kMb), 1);
    EXPECT_DOUBLE_EQ(MegabyteFigure(kMb + kMb / 4), 1.3); // 1.25 rounds up
    EXPECT_DOUBLE_EQ(MegabyteFigure(kMb * 10 / 100), 0.1);
    EXPECT_DOUBLE_EQ(MegabyteFigure(kMb * 4 / 100), 0);
    EXPECT_DOUBLE_EQ(MegabyteFigure(100000000), 95.4);
    EXPECT_DOUBLE_EQ(MegabyteFigure(64 * 1024 * kMb), 65536);
}

struct LabelsCase {
    const char* what;
    uint64_t total, free;
    int percent;
    const wchar_t *available, *max, *half, *threeQuarters, *quarter, *freeMb, *usedMb, *share;
};

TEST(ComputeMemoryLabels, FiguresForTypicalMachines) {
    const LabelsCase cases[] = {
        {"256 MB", 256 * kMb, 100000000, 37, L"95.40 MB", L"256 Mb", L"128 Mb", L"192 Mb", L"64 Mb",
         L"95 Mb", L"161 Mb", L"(37%)"},
        {"8 GB", 8192 * kMb, 1024 * kMb, 12, L"1024.00 MB", L"8192 Mb", L"4096 Mb", L"6144 Mb",
         L"2048 Mb", L"1024 Mb", L"7168 Mb", L"(12%)"},
        // What Windows reports for 8 GB with some memory reserved by the firmware.
        {"8 GB less reserved", 8463470592, 3072 * kMb, 38, L"3072.00 MB", L"8071 Mb", L"4035 Mb",
         L"6053.25 Mb", L"2017.75 Mb", L"3072 Mb", L"4999 Mb", L"(38%)"},
        {"64 GB", 64 * 1024 * kMb, 40000000000, 58, L"38147.00 MB", L"65536 Mb", L"32768 Mb",
         L"49152 Mb", L"16384 Mb", L"38147 Mb", L"27389 Mb", L"(58%)"},
        {"all free", 512 * kMb, 512 * kMb, 100, L"512.00 MB", L"512 Mb", L"256 Mb", L"384 Mb",
         L"128 Mb", L"512 Mb", L"0 Mb", L"(100%)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const MemoryLabels labels = ComputeMemoryLabels(c.total, c.free);
        EXPECT_EQ(labels.freeSharePercent, c.percent);
        EXPECT_EQ(labels.availableRam, c.available);
        EXPECT_EQ(labels.maxPhysicalRam, c.max);
        EXPECT_EQ(labels.halfTotal, c.half);
        EXPECT_EQ(labels.threeQuarters, c.threeQuarters);
        EXPECT_EQ(labels.quarter, c.quarter);
        EXPECT_EQ(labels.freeMb, c.freeMb);
        EXPECT_EQ(labels.usedMb, c.usedMb);
        EXPECT_EQ(labels.freeShare, c.share);
    }
}

TEST(ComputeMemoryLabels, TotalHalvesToEvenWhileFreeHalvesAway) {
    const MemoryLabels labels = ComputeMemoryLabels(kMb * 5 / 2, kMb * 5 / 2);
    EXPECT_EQ(labels.maxPhysicalRam, L"2 Mb");
    EXPECT_EQ(labels.freeMb, L"3 Mb");
    EXPECT_EQ(ComputeMemoryLabels(kMb * 7 / 2, 0).maxPhysicalRam, L"4 Mb");
}

TEST(ComputeMemoryLabels, NoTotalGivesNoShare) {
    const MemoryLabels labels = ComputeMemoryLabels(0, 0);
    EXPECT_EQ(labels.freeSharePercent, 0);
    EXPECT_EQ(labels.freeShare, L"");
    EXPECT_EQ(labels.maxPhysicalRam, L"0 Mb");
    EXPECT_EQ(labels.availableRam, L"0.00 MB");
    EXPECT_EQ(labels.halfTotal, L"0 Mb");
    EXPECT_EQ(labels.usedMb, L"0 Mb");

    // Less than a twentieth of a megabyte rounds to no total either.
    const MemoryLabels tiny = ComputeMemoryLabels(kMb / 100, kMb / 200);
    EXPECT_EQ(tiny.freeSharePercent, 0);
    EXPECT_EQ(tiny.freeShare, L"");
}

} // namespace
} // namespace tessaly

namespace tessaly {
namespace {

TEST(LowMemoryWatch, StaysQuietWhileTheCheckIsOffOrMemoryIsAboveTheLevel) {
    LowMemoryWatch watch;
    for (int tick = 0; tick < 5; ++tick)
        watch.Step(100.0, 200, 0); // below the level, but the check is off
    for (int tick = 0; tick < 5; ++tick)
        watch.Step(300.0, 200, 1); // check on, plenty free
    EXPECT_EQ(watch.LowMemoryFlag, 0);
    EXPECT_EQ(watch.LowMemoryState, 0);
}

TEST(LowMemoryWatch, CountsUpOneStepPerTickAndStaysAtThree) {
    LowMemoryWatch watch;
    watch.Step(200.9, 200, 1); // whole megabytes: 200 <= 200
    EXPECT_EQ(watch.LowMemoryFlag, 1);
    EXPECT_EQ(watch.LowMemoryState, 1);
    watch.Step(900, 200, 1); // memory back, the flag stays up
    EXPECT_EQ(watch.LowMemoryFlag, 1);
    EXPECT_EQ(watch.LowMemoryState, 2);
    watch.Step(900, 200, 0);
    EXPECT_EQ(watch.LowMemoryState, 3);
    watch.Step(900, 200, 0);
    EXPECT_EQ(watch.LowMemoryState, 3);
}

TEST(LowMemoryWatch, OnlyACheckValueOfExactlyOneCounts) {
    LowMemoryWatch watch;
    watch.Step(10, 200, 2);
    watch.Step(10, 200, 0.5);
    EXPECT_EQ(watch.LowMemoryFlag, 0);
}

TEST(MainTrayToolTip, NamesFreeMemoryAndShare) {
    const MemoryLabels labels = ComputeMemoryLabels(268435456ull, 100000000ull);
    EXPECT_EQ(MainTrayToolTip(labels.freeMb, labels.freeShare), L"Tessaly - 95 Mb free (37%)");
}

} // namespace
} // namespace tessaly
