#include "sysinfo/system_info.h"

#include "process/process_query.h"
#include "sysinfo/version_text.h"
#include "win32/platform.h"

#include <shlwapi.h>
#include <winver.h>

namespace tessaly {

FileVersionNumbers OwnFileVersion() {
    FileVersionNumbers numbers;
    const std::wstring path = ModulePath();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return numbers;
    std::vector<BYTE> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
        !::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        length < sizeof *fixed)
        return numbers;
    numbers.major = HIWORD(fixed->dwFileVersionMS);
    numbers.minor = LOWORD(fixed->dwFileVersionMS);
    numbers.build = HIWORD(fixed->dwFileVersionLS);
    numbers.revision = LOWORD(fixed->dwFileVersionLS);
    return numbers;
}

bool ReadShellVersion(ShellVersion& version) {
    HMODULE shlwapi = ::LoadLibraryW(L"shlwapi.dll");
    if (!shlwapi)
        return false;
    const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(::GetProcAddress(shlwapi, "DllGetVersion")));
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    const bool ok = getVersion && SUCCEEDED(getVersion(&info));
    if (ok)
        version = {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
    ::FreeLibrary(shlwapi);
    return ok;
}

bool clsSysInfo::Initialise() {
    errorNumber_ = 0;
    MEMORYSTATUSEX memory{sizeof memory};
    if (::GlobalMemoryStatusEx(&memory))
        totalMemoryKb_ = KilobytesHalfEven(memory.ullTotalPhys);
    const OsVersion os = RealOsVersion();
    ShellVersion shell;
    if (os.platformId == 0 || !ReadShellVersion(shell)) {
        errorNumber_ = 2;
        return false;
    }
    platformId_ = os.platformId;
    LoadProcessArray();
    return true;
}

void clsSysInfo::LoadProcessArray() {
    // This build runs on the NT family only; the 9x family cannot load it at all.
    if (platformId_ != 2)
        return;
    table_ = ReadProcessTable();
    loaded_ = true;
}

std::wstring clsSysInfo::sProcessInfo(int procIndex, int procInfo) const {
    if (procIndex < 1 || procIndex > static_cast<int>(table_.size()))
        return {};
    const ProcessRecord& record = table_[procIndex - 1];
    if (procInfo == 1)
        return record.imageName;
    if (procInfo == 2)
        return std::to_wstring(record.workingSetKb);
    return {};
}

uint32_t clsSysInfo::fMemoryInUse() const {
    MEMORYSTATUSEX memory{sizeof memory};
    return ::GlobalMemoryStatusEx(&memory) ? memory.dwMemoryLoad : 0;
}

cSystemInfo::cSystemInfo() {
    const OsVersion os = RealOsVersion();
    winName_ = WinNameText(os.major, os.minor, static_cast<PlatformId>(os.platformId));
    winVersion_ = WinVersionText(os.major, os.minor, os.build);
    ShellVersion shell;
    ReadShellVersion(shell);
    ieVersion_ = IEVersionText(shell.major, shell.minor, shell.build);
}

} // namespace tessaly
