// Where the status window's figures come from: the system in the program, fed readings in
// tests.
#pragma once

#include "monitor/status_rows.h"

#include <memory>

namespace tessaly {

class MonitorProbes {
public:
    virtual ~MonitorProbes() = default;
    // The CPU sampler: made and initialised once, then asked on every tick, shown or hidden,
    // so each figure covers the last 250 ms.
    virtual void StartCpu() = 0;
    virtual int32_t Cpu() = 0;
    // Everything else a tick shows: one memory status, one disk query, the clock and power.
    virtual TickReading Tick() = 0;
    virtual TotalsReading Totals() = 0;
    virtual DisplayMode Display() = 0;
};

std::unique_ptr<MonitorProbes> SystemMonitorProbes();

} // namespace tessaly
