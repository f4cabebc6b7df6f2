#include "monitor/status_rows.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

// A healthy machine: 8 GiB with half free, load 50, a 100 GB disk with 40 free, mains power.
TickReading Healthy() {
    TickReading r;
    r.memory = {true, 50, 8 * kGiB, 4 * kGiB, 12 * kGiB, 6 * kGiB, 128 * kGiB, 64 * kGiB};
    r.cpu = 20;
    r.disk = {true, 100'000'000'000, 40'000'000'000};
    r.cpuSpeed = L"2.39 GHz";
    r.power1 = r.power2 = {true, 1, 128, 255, 0xFFFFFFFF};
    return r;
}

TEST(StatusRows, ThresholdsCompareTheBarValue) {
    const struct {
        const char* name;
        void (*change)(TickReading&);
        Row row;
        const wchar_t* text;
        bool alert;
    } cases[] = {
        {"CPU 94", [](TickReading& r) { r.cpu = 94; }, Row::Cpu, L"94.000 %", false},
        {"CPU 95", [](TickReading& r) { r.cpu = 95; }, Row::Cpu, L"95.000 %", true},
        {"load 57", [](TickReading& r) { r.memory.load = 57; }, Row::MemoryLoad, L"57.000 %",
         false},
        {"load 95", [](TickReading& r) { r.memory.load = 95; }, Row::MemoryLoad, L"95.000 %", true},
        {"physical 9.6 % rounds to 10",
         [](TickReading& r) { r.memory.availablePhysical = r.memory.totalPhysical / 1000 * 96; },
         Row::Ram, L"10.000 %", false},
        {"physical 9.4 %",
         [](TickReading& r) { r.memory.availablePhysical = r.memory.totalPhysical / 1000 * 94; },
         Row::Ram, L"9.000 %", true},
        {"physical 10.5 % to even",
         [](TickReading& r) {
             r.memory.totalPhysical = 1000;
             r.memory.availablePhysical = 105;
         },
         Row::Ram, L"10.000 %", false},
        {"page 9.9996 % shows 10.000 in red",
         [](TickReading& r) {
             r.memory.totalPageFile = 1'000'000;
             r.memory.availablePageFile = 99'996;
         },
         Row::PageFile, L"10.000 %", true},
        {"virtual 12.3456 %",
         [](TickReading& r) {
             r.memory.totalVirtual = 1'000'000;
             r.memory.availableVirtual = 123'456;
         },
         Row::Virtual, L"12.346 %", false},
        {"disk 9.99 %", [](TickReading& r) { r.disk.free = r.disk.total / 10000 * 999; }, Row::Disk,
         L"9.990 %", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StatusRows rows;
        TickReading reading = Healthy();
        c.change(reading);
        rows.ApplyTick(reading);
        EXPECT_EQ(rows[c.row].text, c.text);
        EXPECT_EQ(rows[c.row].alert, c.alert);
    }
}

TEST(StatusRows, CpuAlertFollowsEachReading) {
    StatusRows rows;
    const std::pair<int, bool> sequence[] = {{94, false}, {95, true}, {94, false}, {100, true}};
    for (const auto& [percent, alert] : sequence) {
        rows.ApplyCpu(percent);
        EXPECT_EQ(rows[Row::Cpu].alert, alert) << percent;
        EXPECT_EQ(rows[Row::Cpu].bar, percent);
    }
}

TEST(StatusRows, AReadingThatCannotBeShownKeepsTheLastGoodRow) {
    const struct {
        const char* name;
        void (*spoil)(TickReading&);
        Row row;
    } cases[] = {
        {"CPU sampler failed", [](TickReading& r) { r.cpu = -1; }, Row::Cpu},
        {"CPU over 100", [](TickReading& r) { r.cpu = 101; }, Row::Cpu},
        {"disk probe failed", [](TickReading& r) { r.disk = {}; }, Row::Disk},
        {"disk total 0", [](TickReading& r) { r.disk.total = 0; }, Row::Disk},
        {"memory status failed", [](TickReading& r) { r.memory.ok = false; }, Row::Ram},
        {"physical total 0", [](TickReading& r) { r.memory.totalPhysical = 0; }, Row::Ram},
        {"page file more free than total",
         [](TickReading& r) { r.memory.availablePageFile = r.memory.totalPageFile + 1; },
         Row::PageFile},
        {"load over 100", [](TickReading& r) { r.memory.load = 101; }, Row::MemoryLoad},
        {"no clock read", [](TickReading& r) { r.cpuSpeed.reset(); }, Row::CpuSpeed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StatusRows rows;
        TickReading alarming = Healthy();
        alarming.cpu = 99;
        alarming.memory.load = 99;
        alarming.memory.availablePhysical = alarming.memory.totalPhysical / 20;
        alarming.memory.availablePageFile = alarming.memory.totalPageFile / 20;
        alarming.disk.free = alarming.disk.total / 20;
        rows.ApplyTick(alarming);
        const RowState before = rows[c.row];
        TickReading spoilt = Healthy();
        c.spoil(spoilt);
        rows.ApplyTick(spoilt);
        EXPECT_EQ(rows[c.row].text, before.text);
        EXPECT_EQ(rows[c.row].bar, before.bar);
        EXPECT_EQ(rows[c.row].alert, before.alert);
    }
}

TEST(StatusRows, ChangesNameOnlyTheRowsThatChanged) {
    StatusRows rows;
    EXPECT_NE(rows.ApplyTick(Healthy()), 0u);
    EXPECT_EQ(rows.ApplyTick(Healthy()), 0u) << "an unchanged machine repaints nothing";
    TickReading busier = Healthy();
    busier.cpu = 21;
    EXPECT_EQ(rows.ApplyTick(busier), RowBit(Row::Cpu));
}

} // namespace
} // namespace tessaly
