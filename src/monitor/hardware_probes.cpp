#include "monitor/hardware_probes.h"

#include "common/text.h"
#include "win32/handles.h"
#include "win32/platform.h"

#include <vector>

namespace tessaly {

namespace {
constexpr const wchar_t* kProcessorKey = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
}

bool IsNtPlatform() {
    return RealOsVersion().platformId == VER_PLATFORM_WIN32_NT;
}

void MakeTransparent(HWND window, BYTE opacity) {
    ::SetWindowLongW(window, GWL_EXSTYLE, WS_EX_LAYERED);
    const BYTE level = static_cast<BYTE>(opacity + 5);
    if (level >= 50 && level <= 254)
        ::SetLayeredWindowAttributes(window, 0, level, LWA_ALPHA);
}

std::wstring WindowsFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    for (;;) {
        const UINT length = ::GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
        if (length < folder.size()) {
            folder.resize(length);
            return folder;
        }
        folder.resize(length + 1);
    }
}

std::wstring WindowsDrive() {
    return WindowsFolder().substr(0, 1);
}

std::wstring SysDriveRoot() {
    return Lower(WindowsDrive()) + L":\\";
}

DiskReading DiskSpace(const std::wstring& root) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!::GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free))
        return {};
    return {true, total.QuadPart, free.QuadPart};
}

int64_t DiskTotalBytes(const std::wstring& root) {
    return static_cast<int64_t>(DiskSpace(root).total);
}

int64_t DiskFreeBytes(const std::wstring& root) {
    return static_cast<int64_t>(DiskSpace(root).free);
}

uint32_t ReadRegDword(HKEY root, const wchar_t* subKey, const wchar_t* valueName) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return 0;
    const UniqueRegKey key(opened);
    DWORD value = 0, type = 0, size = sizeof value;
    if (::RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                           &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return 0;
    return value;
}

std::wstring GetProcessorName() {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProcessorKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return {};
    const UniqueRegKey key(opened);
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.get(), L"ProcessorNameString", nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    // The stored text may lack its closing NUL; the buffer has room for one of our own.
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key.get(), L"ProcessorNameString", nullptr, &type,
                           reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS)
        return {};
    return Trim(std::wstring(text.data()));
}

std::wstring& CpuSpeed() {
    static std::wstring speed;
    return speed;
}

bool CheckOsVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const bool read = ::GetVersionExW(&info) != FALSE;
#pragma GCC diagnostic pop
    if (read)
        return true;
    // Asked four times a second: the box shows once, not once per tick.
    static bool shown = false;
    if (!shown) {
        shown = true;
        ::MessageBoxW(nullptr,
                      L"An error occured while trying to get the OS version and information.\r"
                      L"Click OK to continue.",
                      L"  Error  -  GetVersionEx", MB_OK | MB_ICONEXCLAMATION);
    }
    return false;
}

bool RefreshCpuSpeed() {
    if (!CheckOsVersion())
        return false;
    CpuSpeed() = CpuSpeedText(ReadRegDword(HKEY_LOCAL_MACHINE, kProcessorKey, L"~MHz"));
    return true;
}

MemoryReading ReadMemoryStatus() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!::GlobalMemoryStatusEx(&status))
        return {};
    return {true,
            status.dwMemoryLoad,
            status.ullTotalPhys,
            status.ullAvailPhys,
            status.ullTotalPageFile,
            status.ullAvailPageFile,
            status.ullTotalVirtual,
            status.ullAvailVirtual};
}

PowerRead ReadPowerStatus() {
    SYSTEM_POWER_STATUS status{};
    if (!::GetSystemPowerStatus(&status))
        return {};
    return {true, status.ACLineStatus, status.BatteryFlag, status.BatteryLifePercent,
            status.BatteryLifeTime};
}

DisplayMode ReadDisplayMode() {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    if (!::EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode))
        return {};
    return {true, mode.dmPelsWidth, mode.dmPelsHeight, mode.dmBitsPerPel};
}

} // namespace tessaly
