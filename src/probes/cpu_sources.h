// The system reads behind the CPU samplers, and the choice of sampler by platform.
#pragma once

#include "probes/cpu_sampler.h"

#include <memory>

namespace tessaly {

NtCounters ReadNtCounters();

// Logical processors of every processor group, as the idle counter covers them all.
unsigned long ActiveProcessorCount();

// The NT family gets clsWinNT, every other platform clsWin9x. Initialize is the caller's.
std::unique_ptr<CpuSampler> CreateCpuSampler();

} // namespace tessaly
