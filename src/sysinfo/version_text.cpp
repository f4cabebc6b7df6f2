#include "sysinfo/version_text.h"

namespace tessaly {

std::wstring WinNameText(uint32_t major, uint32_t minor, PlatformId platform) {
    switch (major) {
    case 3:
        return minor == 5 ? L"Windows NT " : L"Windows ";
    case 4:
        // Version 4 is shared by NT 4.0 and the 9x family; the platform tells them apart.
        if (platform != PlatformId::Windows9x)
            return L"Windows NT ";
        if (minor == 0)
            return L"Windows 95 ";
        return minor < 90 ? L"Windows 98 " : L"Windows ME ";
    case 5:
        return minor == 1 ? L"Windows XP " : L"Windows 2000 ";
    default:
        return L"Windows Unknown Version";
    }
}

std::wstring WinVersionText(uint32_t major, uint32_t minor, uint32_t build) {
    return std::to_wstring(major) + L"." + std::to_wstring(minor) + L" (Build " +
           std::to_wstring(build) + L")";
}

std::wstring IEVersionText(uint32_t major, uint32_t minor, uint32_t build) {
    return L"Internet Explorer " + std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." +
           std::to_wstring(build);
}

std::wstring LogVersionText(uint32_t major, uint32_t minor, uint32_t revision) {
    return AboutVersionText(major, minor) + L"." + std::to_wstring(revision);
}

std::wstring AboutVersionText(uint32_t major, uint32_t minor) {
    return std::to_wstring(major) + L"." + std::to_wstring(minor);
}

} // namespace tessaly
