// The memory panel's figures and label texts from one memory status reading. Pure.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

struct MemoryLabels {
    int freeSharePercent = 0;   // ProgressBar1: int(100 * free / total)
    std::wstring availableRam;  // lblavailableRAM: free, "0.00" + " MB"
    std::wstring maxPhysicalRam; // LblMaxPhyicalRam and Label2(3): total, "0" + " Mb"
    std::wstring halfTotal;     // Label2(9)
    std::wstring threeQuarters; // Label2(15)
    std::wstring quarter;       // Label2(16)
    std::wstring freeMb;        // Label2(5)
    std::wstring usedMb;        // Label2(4)
    std::wstring freeShare;     // Label2(7): "(" + percent + "%)"; empty when total is 0
};

// Megabytes of 1,048,576 bytes, rounded to one decimal.
double MegabyteFigure(uint64_t bytes);

MemoryLabels ComputeMemoryLabels(uint64_t totalPhysical, uint64_t availablePhysical);

} // namespace tessaly
