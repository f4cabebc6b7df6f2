#include "shell/status_texts.h"

#include "common/number_format.h"

namespace tessaly {

std::wstring ProcessCountText(int processes) {
    return L"Total Processes: " + std::to_wstring(processes);
}

std::optional<std::wstring> CpuUsageText(int percent) {
    if (percent < 0)
        return std::nullopt;
    return L"CPU Usage " + FormatNumber(percent, 2) + L" %";
}

std::wstring RamUsageText(unsigned memoryLoad) {
    return L"RAM Usage " + FormatNumber(memoryLoad, 3) + L" %";
}

std::wstring InventoryProgressText(size_t found) {
    return L"Listing program files: " + FormatNumber(static_cast<double>(found), 0, true) +
           L" found";
}

} // namespace tessaly
