// The memory panel's figures and label texts from one memory status reading. Pure.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

struct MemoryLabels {
    double free = 0;             // free physical memory, megabytes to one decimal
    int freeSharePercent = 0;    // ProgressBar1: int(100 * free / total)
    std::wstring availableRam;   // lblavailableRAM: free, "0.00" + " MB"
    std::wstring maxPhysicalRam; // LblMaxPhyicalRam and Label2(3): total, "0" + " Mb"
    std::wstring halfTotal;      // Label2(9)
    std::wstring threeQuarters;  // Label2(15)
    std::wstring quarter;        // Label2(16)
    std::wstring freeMb;         // Label2(5)
    std::wstring usedMb;         // Label2(4)
    std::wstring freeShare;      // Label2(7): "(" + percent + "%)"; empty when total is 0
};

// Megabytes of 1,048,576 bytes, rounded to one decimal.
double MegabyteFigure(uint64_t bytes);

MemoryLabels ComputeMemoryLabels(uint64_t totalPhysical, uint64_t availablePhysical);

// The low-memory watch, one step per memory tick. The flag goes up once free memory (whole
// megabytes) falls to the level "trigg" while the check "3" is on, and never goes down; the
// state then counts 1, 2, 3 over the following ticks and stays at 3.
struct LowMemoryWatch {
    int LowMemoryFlag = 0;
    int LowMemoryState = 0;
    void Step(double freeMb, double level, double checkOn);
};

} // namespace tessaly
