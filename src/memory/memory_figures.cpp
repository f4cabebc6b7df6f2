#include "memory/memory_figures.h"

#include "common/number_format.h"

#include <cmath>

namespace tessaly {

double MegabyteFigure(uint64_t bytes) {
    return std::floor(static_cast<double>(bytes) / 1048576.0 * 10 + 0.5) / 10;
}

MemoryLabels ComputeMemoryLabels(uint64_t totalPhysical, uint64_t availablePhysical) {
    MemoryLabels labels;
    const double total = MegabyteFigure(totalPhysical);
    const double free = MegabyteFigure(availablePhysical);
    labels.free = free;
    if (total > 0)
        labels.freeSharePercent = static_cast<int>(std::floor(100 * free / total));
    labels.availableRam = FormatNumber(free, 2) + L" MB";
    const double totalWhole = std::nearbyint(total); // halves to even
    labels.maxPhysicalRam = FormatNumber(totalWhole, 0) + L" Mb";
    labels.halfTotal = FormatShortest(std::floor(totalWhole / 2), 0) + L" Mb";
    labels.threeQuarters = FormatShortest(totalWhole * 0.75, 2) + L" Mb";
    labels.quarter = FormatShortest(totalWhole * 0.25, 2) + L" Mb";
    const double freeWhole = RoundHalfAway(free, 0);
    labels.freeMb = FormatNumber(freeWhole, 0) + L" Mb";
    labels.usedMb = FormatNumber(totalWhole - freeWhole, 0) + L" Mb";
    if (totalWhole > 0)
        labels.freeShare =
            L"(" + FormatShortest(std::floor(freeWhole / totalWhole * 100), 0) + L"%)";
    return labels;
}

void LowMemoryWatch::Step(double freeMb, double level, double checkOn) {
    if (std::floor(freeMb) <= level && checkOn == 1)
        LowMemoryFlag = 1;
    if (LowMemoryState == 0 && LowMemoryFlag == 1)
        LowMemoryState = 1;
    else if (LowMemoryState == 1 || LowMemoryState == 2)
        ++LowMemoryState;
}

} // namespace tessaly
