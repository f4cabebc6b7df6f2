// The four panels of the main window's status bar. Pure.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tessaly {

inline constexpr const wchar_t* kProductWebAddress = L"www.tessaly.example";

std::wstring ProcessCountText(int processes);
// Empty when the sampler failed (-1): the panel keeps what it showed.
std::optional<std::wstring> CpuUsageText(int percent);
std::wstring RamUsageText(unsigned memoryLoad);

// The tray tooltip's second line while the program-file inventory runs.
std::wstring InventoryProgressText(size_t found);

} // namespace tessaly
