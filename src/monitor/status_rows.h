// The twenty rows of the status monitor and how one reading of the machine changes them. A
// reading that cannot be shown (a percentage outside 0-100, a zero total, a failed probe)
// leaves its row as it was, text, bar and colour. Pure.
#pragma once

#include "monitor/monitor_format.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tessaly {

enum class Row {
    Cpu,          // lblcpu, pbcpu
    Ram,          // lblram, pbram
    MemoryLoad,   // lblmload, pbmload
    PageFile,     // lblpage, pbpage
    Virtual,      // lblvirtual, pbvirtual
    Disk,         // lbldisk, pbdisk
    TotalRam,     // lblram2
    TotalVirtual, // lblvram
    TotalPage,    // lblpage2
    DiskCapacity, // lblhd
    CpuName,      // lblcpuname
    CpuSpeed,     // lblcpuspeed
    PowerSource,  // lblpower
    PowerLevel,   // lbllevel, pblevel
    PowerStatus,  // lblstatus
    PowerLife,    // lbllife
    VideoName,    // lblvcname
    VideoMemory,  // lblgram
    Resolution,   // lblres
    ColorDepth,   // lbldep
};
inline constexpr int kRowCount = 20;

struct RowSpec {
    const wchar_t* caption;
    bool bar; // a percentage with a bar 0-100
};
const RowSpec& SpecOf(Row row);

struct RowState {
    std::wstring text;
    double bar = 0;     // the bar's value; alerts compare this, not the text
    bool alert = false; // the value label is red
};

// One extended memory-status record.
struct MemoryReading {
    bool ok = false;
    uint32_t load = 0;
    uint64_t totalPhysical = 0, availablePhysical = 0;
    uint64_t totalPageFile = 0, availablePageFile = 0;
    uint64_t totalVirtual = 0, availableVirtual = 0;
};

struct DiskReading {
    bool ok = false;
    uint64_t total = 0, free = 0;
};

struct DisplayMode {
    bool ok = false;
    uint32_t width = 0, height = 0, bitsPerPixel = 0;
};

// What one tick reads. The CPU figure is -1 when the sampler could not measure; an empty clock
// text leaves the "Processor Speed:" row as it is.
struct TickReading {
    MemoryReading memory;
    int32_t cpu = -1;
    DiskReading disk;
    std::optional<std::wstring> cpuSpeed;
    PowerRead power1, power2;
};

// The facts read once at start-up.
struct TotalsReading {
    MemoryReading memory;
    DiskReading disk;
    std::wstring processorName;
    std::wstring videoName, videoMemory;
};

class StatusRows {
public:
    using Changes = uint32_t; // one bit per row, 1 << row

    StatusRows();
    const RowState& operator[](Row row) const { return rows_[static_cast<int>(row)]; }

    Changes ApplyTick(const TickReading& reading);
    Changes ApplyCpu(int32_t percent);
    Changes ApplyTotals(const TotalsReading& reading);
    Changes ApplyDisplay(const DisplayMode& mode);

private:
    Changes SetText(Row row, std::wstring text);
    Changes SetPercent(Row row, double bar, double shown, std::optional<bool> alert);

    std::array<RowState, kRowCount> rows_;
};

inline constexpr StatusRows::Changes RowBit(Row row) {
    return 1u << static_cast<int>(row);
}

} // namespace tessaly
