// CPU usage samplers. The arithmetic and the state live here, pure; the system reads come in
// through small seams that the Windows build fills (cpu_sources.h) and tests replace.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace tessaly {

// Both samplers offer the same three operations; callers pick one by platform at start-up.
class CpuSampler {
public:
    virtual ~CpuSampler() = default;
    virtual void Initialize() = 0;
    virtual int32_t Query() = 0;
    virtual void Terminate() = 0;
};

// One reading of the kernel's counters on the NT family.
struct NtCounters {
    bool ok = false;             // false when any of the system queries failed
    uint32_t processors = 1;     // number of processors
    int64_t idleTime = 0;        // idle process time, 100 ns units, summed over processors
    int64_t systemTime = 0;      // current system time of day, 100 ns units
};

// Usage from the idle-time and system-time counters of the NT family.
class clsWinNT final : public CpuSampler {
public:
    using Reader = std::function<NtCounters()>;
    explicit clsWinNT(Reader reader);

    void Initialize() override;
    // Whole percent since the previous successful call (or Initialize); -1 when the system
    // query fails, which leaves the previous samples in place. When the system time has not
    // advanced, the previous result is returned.
    int32_t Query() override;
    void Terminate() override {}

    // The usage formula alone: deltas in 100 ns units, carried in four-decimal fixed point.
    static int32_t UsagePercent(int64_t idleDelta, int64_t timeDelta, uint32_t processors);

private:
    Reader reader_;
    int64_t oldIdleTime_ = 0;
    int64_t oldSystemTime_ = 0;
    int32_t lastResult_ = 0;
};

// The dynamic performance counter of the 9x family, read through the registry.
class PerfCounterRegistry {
public:
    using Key = uintptr_t; // 0 = no key
    virtual ~PerfCounterRegistry() = default;
    virtual Key Open(const wchar_t* subKey, bool allAccess) = 0;
    virtual bool ReadDword(Key key, const wchar_t* valueName, uint32_t& value) = 0;
    virtual void Close(Key key) = 0;
};

class clsWin9x final : public CpuSampler {
public:
    explicit clsWin9x(std::shared_ptr<PerfCounterRegistry> registry);
    ~clsWin9x() override;

    void Initialize() override;
    int32_t Query() override; // repeats the last value when the counter cannot be read
    void Terminate() override;

private:
    std::shared_ptr<PerfCounterRegistry> registry_;
    PerfCounterRegistry::Key counterKey_ = 0;
    uint32_t lastValue_ = 0;
};

} // namespace tessaly
