#include "monitor/monitor_probes.h"

#include "monitor/hardware_probes.h"
#include "monitor/video_card.h"
#include "probes/cpu_sources.h"

namespace tessaly {

namespace {
class SystemProbes final : public MonitorProbes {
public:
    void StartCpu() override {
        sampler_ = CreateCpuSampler();
        sampler_->Initialize();
    }
    int32_t Cpu() override { return sampler_ ? sampler_->Query() : -1; }
    TickReading Tick() override {
        TickReading reading;
        reading.memory = ReadMemoryStatus();
        reading.disk = DiskSpace(root_);
        if (RefreshCpuSpeed())
            reading.cpuSpeed = CpuSpeed();
        // One power read serves both of the rows' reads.
        reading.power1 = reading.power2 = ReadPowerStatus();
        return reading;
    }
    TotalsReading Totals() override {
        TotalsReading totals;
        VideoCard video;
        video.QueryVideoInfo();
        root_ = SysDriveRoot();
        totals.memory = ReadMemoryStatus();
        totals.disk = DiskSpace(root_);
        totals.processorName = GetProcessorName();
        totals.videoName = video.VideoCardName();
        totals.videoMemory = video.VideoMemory();
        return totals;
    }
    DisplayMode Display() override { return ReadDisplayMode(); }

private:
    std::unique_ptr<CpuSampler> sampler_;
    std::wstring root_ = SysDriveRoot();
};
} // namespace

std::unique_ptr<MonitorProbes> SystemMonitorProbes() {
    return std::make_unique<SystemProbes>();
}

} // namespace tessaly
