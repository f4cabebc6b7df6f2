#include "probes/cpu_sources.h"

#include "win32/platform.h"

#include <windows.h>

namespace tessaly {

namespace {

using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

bool QueryClass(ULONG infoClass, void* buffer, ULONG size) {
    static const auto query = reinterpret_cast<NtQuerySystemInformationFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return false;
    ZeroMemory(buffer, size);
    return query(infoClass, buffer, size, nullptr) == 0;
}

// HKEY_DYN_DATA exists only on the 9x family; elsewhere every open fails and the sampler
// reads 0, as it should.
class DynDataRegistry final : public PerfCounterRegistry {
public:
    Key Open(const wchar_t* subKey, bool allAccess) override {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_DYN_DATA, subKey, 0, allAccess ? KEY_ALL_ACCESS : KEY_READ,
                            &key) != ERROR_SUCCESS)
            return 0;
        return reinterpret_cast<Key>(key);
    }
    bool ReadDword(Key key, const wchar_t* valueName, uint32_t& value) override {
        DWORD data = 0, size = sizeof data, type = 0;
        if (::RegQueryValueExW(reinterpret_cast<HKEY>(key), valueName, nullptr, &type,
                               reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
            return false;
        value = data;
        return true;
    }
    void Close(Key key) override { ::RegCloseKey(reinterpret_cast<HKEY>(key)); }
};

} // namespace

unsigned long ActiveProcessorCount() {
    // GetSystemInfo counts the processors of this program's group only (at most 64), while the
    // idle time covers every group; dividing by the smaller count would read the usage low.
    using GetActiveProcessorCountFn = DWORD(WINAPI*)(WORD);
    static const auto countAll =
        reinterpret_cast<GetActiveProcessorCountFn>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetActiveProcessorCount")));
    if (countAll) {
        if (const DWORD count = countAll(ALL_PROCESSOR_GROUPS))
            return count;
    }
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    return system.dwNumberOfProcessors ? system.dwNumberOfProcessors : DWORD{1};
}

NtCounters ReadNtCounters() {
    // Buffers sized for the largest form of each record; the kernel fills what it has.
    struct alignas(8) Basic {
        BYTE bytes[64];
    };
    struct alignas(8) Performance {
        BYTE bytes[512];
    } performance;
    struct alignas(8) TimeOfDay {
        BYTE bytes[64];
    };
    // The processors do not change while the program runs, so the basic record is read once.
    // The time-of-day record is read once too, to know the system answers it; its clock (the
    // system time, 100 ns units) is then read where it is kept, without a call into the
    // system. A tick asks the system only for the idle counter.
    static const DWORD processors = [] {
        Basic basic;
        TimeOfDay timeOfDay;
        if (!QueryClass(0, &basic, 64) || !QueryClass(3, &timeOfDay, 48))
            return DWORD{0};
        return ActiveProcessorCount();
    }();
    NtCounters counters;
    if (!processors || !QueryClass(2, &performance, sizeof performance))
        return counters;
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    counters.processors = processors;
    memcpy(&counters.idleTime, performance.bytes, sizeof(int64_t));
    counters.systemTime =
        static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    counters.ok = true;
    return counters;
}

std::unique_ptr<CpuSampler> CreateCpuSampler() {
    if (RealOsVersion().platformId == VER_PLATFORM_WIN32_NT)
        return std::make_unique<clsWinNT>(&ReadNtCounters);
    return std::make_unique<clsWin9x>(std::make_shared<DynDataRegistry>());
}

} // namespace tessaly
