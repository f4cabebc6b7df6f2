// The Windows and browser version texts of the log file and the about box. Pure.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

enum class PlatformId : uint32_t { Win32s = 0, Windows9x = 1, WindowsNt = 2 };

// Each name keeps its trailing space; versions the table does not know give
// "Windows Unknown Version".
std::wstring WinNameText(uint32_t major, uint32_t minor, PlatformId platform);
std::wstring WinVersionText(uint32_t major, uint32_t minor, uint32_t build);
std::wstring IEVersionText(uint32_t major, uint32_t minor, uint32_t build);

// The program's own version as the log file names it (major.minor.revision, the third
// number left out) and as the about box shows it (major.minor).
std::wstring LogVersionText(uint32_t major, uint32_t minor, uint32_t revision);
std::wstring AboutVersionText(uint32_t major, uint32_t minor);

} // namespace tessaly
