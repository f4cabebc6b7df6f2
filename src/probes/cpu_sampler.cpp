#include "probes/cpu_sampler.h"

#include <algorithm>
#include <cmath>

namespace tessaly {

namespace {
constexpr double kScale = 10000.0; // four implied decimals
constexpr const wchar_t* kCpuValue = L"KERNEL\\CPUUsage";

// Rounds to four decimals, halves to even, as the fixed-point type stores numbers.
int64_t ToFixed(double value) {
    return static_cast<int64_t>(std::nearbyint(value * kScale));
}
} // namespace

clsWinNT::clsWinNT(Reader reader) : reader_(std::move(reader)) {}

void clsWinNT::Initialize() {
    const NtCounters now = reader_();
    if (!now.ok)
        return;
    oldIdleTime_ = now.idleTime;
    oldSystemTime_ = now.systemTime;
}

int32_t clsWinNT::UsagePercent(int64_t idleDelta, int64_t timeDelta, uint32_t processors) {
    // The raw counts are read as fixed-point numbers (count / 10,000), so the fraction is the
    // plain ratio of the two counts.
    const int64_t fraction =
        ToFixed(static_cast<double>(idleDelta) / static_cast<double>(timeDelta));
    const double share =
        static_cast<double>(fraction * 100) / kScale / std::max<uint32_t>(processors, 1);
    const int64_t usage = ToFixed(100.0 - share + 0.5);
    const double whole = std::floor(static_cast<double>(usage) / kScale);
    // Counters read a moment apart can overshoot by a hair; a load is never below 0 % or
    // above 100 %.
    return static_cast<int32_t>(std::clamp(whole, 0.0, 100.0));
}

int32_t clsWinNT::Query() {
    const NtCounters now = reader_();
    if (!now.ok)
        return -1;
    const int64_t idleDelta = now.idleTime - oldIdleTime_;
    const int64_t timeDelta = now.systemTime - oldSystemTime_;
    oldIdleTime_ = now.idleTime;
    oldSystemTime_ = now.systemTime;
    // A clock set back makes the delta negative; like no advance at all, it measures nothing.
    if (timeDelta > 0)
        lastResult_ = UsagePercent(idleDelta, timeDelta, now.processors);
    return lastResult_;
}

clsWin9x::clsWin9x(std::shared_ptr<PerfCounterRegistry> registry)
    : registry_(std::move(registry)) {}

clsWin9x::~clsWin9x() {
    // Releases the key only; stopping the counter is the caller's Terminate.
    if (counterKey_)
        registry_->Close(counterKey_);
}

void clsWin9x::Initialize() {
    const auto start = registry_->Open(L"PerfStats\\StartStat", true);
    if (!start)
        return;
    uint32_t ignored = 0;
    registry_->ReadDword(start, kCpuValue, ignored); // reading this value starts the counter
    registry_->Close(start);
    if (counterKey_)
        registry_->Close(counterKey_);
    counterKey_ = registry_->Open(L"PerfStats\\StatData", false);
}

int32_t clsWin9x::Query() {
    uint32_t value = 0;
    if (counterKey_ && registry_->ReadDword(counterKey_, kCpuValue, value))
        lastValue_ = value;
    return static_cast<int32_t>(lastValue_);
}

void clsWin9x::Terminate() {
    if (counterKey_) {
        registry_->Close(counterKey_);
        counterKey_ = 0;
    }
    const auto stop = registry_->Open(L"PerfStats\\StopStat", true);
    if (!stop)
        return;
    uint32_t ignored = 0;
    registry_->ReadDword(stop, kCpuValue, ignored); // reading this value stops the counter
    registry_->Close(stop);
}

} // namespace tessaly
