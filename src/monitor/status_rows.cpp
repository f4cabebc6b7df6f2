#include "monitor/status_rows.h"

#include "common/number_format.h"

namespace tessaly {

namespace {
constexpr RowSpec kSpecs[kRowCount] = {
    {L"CPU Usage:", true},
    {L"Physical Memory:", true},
    {L"Memory Load:", true},
    {L"Page File:", true},
    {L"Virtual memory:", true},
    {L"Disk Space:", true},
    {L"Total Physical Memory:", false},
    {L"Total Virtual Memory:", false},
    {L"Total Page File:", false},
    {L"Disk Capacity:", false},
    {L"Processor Name:", false},
    {L"Processor Speed:", false},
    {L"Power Source:", false},
    {L"Power Level:", true},
    {L"Power Status:", false},
    {L"Power Life:", false},
    {L"Video Card Name:", false},
    {L"Video Memory:", false},
    {L"Video Resolution:", false},
    {L"Display Color Depth:", false},
};

// available / total as a percentage; nothing when it cannot fill a bar.
std::optional<double> Share(uint64_t available, uint64_t total) {
    if (total == 0 || available > total)
        return std::nullopt;
    return static_cast<double>(available) / static_cast<double>(total) * 100;
}
} // namespace

const RowSpec& SpecOf(Row row) {
    return kSpecs[static_cast<int>(row)];
}

StatusRows::StatusRows() {
    for (int i = 0; i < kRowCount; ++i)
        if (kSpecs[i].bar)
            rows_[i].text = L"100 %";
}

StatusRows::Changes StatusRows::SetText(Row row, std::wstring text) {
    RowState& state = rows_[static_cast<int>(row)];
    if (state.text == text)
        return 0;
    state.text = std::move(text);
    return RowBit(row);
}

StatusRows::Changes StatusRows::SetPercent(Row row, double bar, double shown,
                                           std::optional<bool> alert) {
    RowState& state = rows_[static_cast<int>(row)];
    Changes changes = SetText(row, PercentText(shown));
    if (state.bar != bar)
        changes |= RowBit(row);
    state.bar = bar;
    if (alert && *alert != state.alert) {
        state.alert = *alert;
        changes |= RowBit(row);
    }
    return changes;
}

StatusRows::Changes StatusRows::ApplyCpu(int32_t percent) {
    if (percent < 0 || percent > 100)
        return 0;
    return SetPercent(Row::Cpu, percent, percent, percent > 94);
}

StatusRows::Changes StatusRows::ApplyTick(const TickReading& reading) {
    Changes changes = ApplyCpu(reading.cpu);
    const MemoryReading& memory = reading.memory;
    if (memory.ok) {
        if (const auto ram = Share(memory.availablePhysical, memory.totalPhysical)) {
            const double whole = RoundHalfEven(*ram, 0);
            changes |= SetPercent(Row::Ram, whole, whole, whole < 10);
        }
        if (memory.load <= 100)
            changes |= SetPercent(Row::MemoryLoad, memory.load, memory.load, memory.load > 94);
        // The page file and virtual rows keep the unrounded share in the bar, so 9.9996
        // reads 10.000 % and is still red.
        if (const auto page = Share(memory.availablePageFile, memory.totalPageFile))
            changes |= SetPercent(Row::PageFile, *page, RoundHalfEven(*page, 3), *page < 10);
        if (const auto free = Share(memory.availableVirtual, memory.totalVirtual))
            changes |= SetPercent(Row::Virtual, *free, RoundHalfEven(*free, 3), *free < 10);
    }
    if (reading.disk.ok)
        if (const auto free = Share(reading.disk.free, reading.disk.total))
            changes |= SetPercent(Row::Disk, *free, *free, *free < 10);
    if (reading.cpuSpeed)
        changes |= SetText(Row::CpuSpeed, *reading.cpuSpeed);

    const PowerRows power = PowerCheck(reading.power1, reading.power2);
    changes |= SetText(Row::PowerStatus, power.status);
    if (power.source)
        changes |= SetText(Row::PowerSource, *power.source);
    changes |= SetText(Row::PowerLife, power.life);
    if (power.level)
        changes |= SetPercent(Row::PowerLevel, *power.level, *power.level, power.levelAlert);
    return changes;
}

StatusRows::Changes StatusRows::ApplyTotals(const TotalsReading& reading) {
    Changes changes = 0;
    if (reading.memory.ok) {
        changes |=
            SetText(Row::TotalRam, NumberInKB(static_cast<int64_t>(reading.memory.totalPhysical)));
        changes |= SetText(Row::TotalVirtual,
                           NumberInKB(static_cast<int64_t>(reading.memory.totalVirtual)));
        changes |=
            SetText(Row::TotalPage, NumberInKB(static_cast<int64_t>(reading.memory.totalPageFile)));
    }
    changes |= SetText(Row::DiskCapacity,
                       NumberInKB(reading.disk.ok ? static_cast<int64_t>(reading.disk.total) : 0));
    changes |= SetText(Row::CpuName, reading.processorName);
    changes |= SetText(Row::VideoName, reading.videoName);
    changes |= SetText(Row::VideoMemory, reading.videoMemory);
    return changes;
}

StatusRows::Changes StatusRows::ApplyDisplay(const DisplayMode& mode) {
    if (!mode.ok)
        return SetText(Row::Resolution, L"Unknown") | SetText(Row::ColorDepth, L"Unknown-bit");
    return SetText(Row::Resolution,
                   std::to_wstring(mode.width) + L"x" + std::to_wstring(mode.height)) |
           SetText(Row::ColorDepth, std::to_wstring(mode.bitsPerPixel) + L"-bit");
}

} // namespace tessaly
