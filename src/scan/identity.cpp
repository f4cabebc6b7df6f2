#include "scan/identity.h"

#include "scan/scan_logic.h"
#include "win32/platform.h"

#include <windows.h>

namespace tessaly {

std::wstring GetWindowsDir() {
    std::wstring dir(MAX_PATH, L'\0');
    UINT length = ::GetWindowsDirectoryW(dir.data(), static_cast<UINT>(dir.size()));
    if (length >= dir.size()) { // too small: the count includes the terminator
        dir.resize(length);
        length = ::GetWindowsDirectoryW(dir.data(), static_cast<UINT>(dir.size()));
    }
    dir.resize(length < dir.size() ? length : 0);
    return dir;
}

int32_t SerNum(std::wstring_view drive) {
    const std::wstring root = std::wstring(drive) + L":\\";
    DWORD serial = 0;
    if (!::GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        return 0;
    return static_cast<int32_t>(serial);
}

std::wstring GetOSVersionName() {
    // The real version: the compatibility shim would report 6.2 for every newer system.
    const OsVersion v = RealOsVersion();
    return OsVersionName(v.platformId, v.major, v.minor, v.build);
}

uint32_t SecondsSinceMidnight() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return now.wHour * 3600u + now.wMinute * 60u + now.wSecond;
}

std::wstring RunScanKey(uint32_t startStamp) {
    const std::wstring windows = GetWindowsDir();
    return ScanKey(SerNum(windows.substr(0, 1)), startStamp);
}

} // namespace tessaly
