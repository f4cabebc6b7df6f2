#include "process/process_query.h"

#include "common/text.h"
#include "settings/registry.h"
#include "win32/handles.h"
#include "win32/platform.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <memory>

namespace tessaly {

namespace {

// The leading part of the kernel's process record that this program reads.
struct ProcessInfoRecord {
    ULONG NextEntryOffset;
    ULONG NumberOfThreads;
    LARGE_INTEGER WorkingSetPrivateSize;
    ULONG HardFaultCount;
    ULONG NumberOfThreadsHighWatermark;
    ULONGLONG CycleTime;
    LARGE_INTEGER CreateTime;
    LARGE_INTEGER UserTime;
    LARGE_INTEGER KernelTime;
    USHORT ImageNameLength;
    USHORT ImageNameMaximumLength;
    PWSTR ImageNameBuffer;
    LONG BasePriority;
    HANDLE UniqueProcessId;
    HANDLE InheritedFromUniqueProcessId;
    ULONG HandleCount;
    ULONG SessionId;
    ULONG_PTR UniqueProcessKey;
    SIZE_T PeakVirtualSize;
    SIZE_T VirtualSize;
    ULONG PageFaultCount;
    SIZE_T PeakWorkingSetSize;
    SIZE_T WorkingSetSize;
};

using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

NtQuerySystemInformationFn NtQuery() {
    static const auto fn = reinterpret_cast<NtQuerySystemInformationFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    return fn;
}

uint64_t WorkingSetOf(DWORD processId) {
    const UniqueKernelHandle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    PROCESS_MEMORY_COUNTERS counters{};
    if (process && ::GetProcessMemoryInfo(process.get(), &counters, sizeof counters))
        return counters.WorkingSetSize;
    return 0;
}

constexpr const wchar_t* kIdleProcessName = L"[System Process]";

bool ReadFromKernel(std::vector<ProcessRecord>& table) {
    constexpr ULONG kSystemProcessInformation = 5;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
    const auto query = NtQuery();
    if (!query)
        return false;
    ULONG size = 256 * 1024;
    std::unique_ptr<BYTE[]> buffer;
    LONG status = kInfoLengthMismatch;
    for (int attempt = 0; attempt < 6 && status == kInfoLengthMismatch; ++attempt) {
        buffer = std::make_unique<BYTE[]>(size);
        ULONG needed = 0;
        status = query(kSystemProcessInformation, buffer.get(), size, &needed);
        // Processes may start between the two calls: leave room for them.
        size = std::max<ULONG>(size * 2, needed + 64 * 1024);
    }
    if (status != 0)
        return false;
    for (const BYTE* entry = buffer.get();;) {
        const auto* info = reinterpret_cast<const ProcessInfoRecord*>(entry);
        ProcessRecord record;
        record.processId =
            static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(info->UniqueProcessId));
        if (info->ImageNameBuffer && info->ImageNameLength)
            record.imageName = FileNamePart(
                std::wstring_view(info->ImageNameBuffer, info->ImageNameLength / sizeof(wchar_t)));
        else if (record.processId == 0)
            record.imageName = kIdleProcessName; // the kernel gives it no name; toolhelp does
        record.threadCount = info->NumberOfThreads;
        record.parentId =
            static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(info->InheritedFromUniqueProcessId));
        record.creationTime = static_cast<uint64_t>(info->CreateTime.QuadPart);
        uint64_t workingSet = info->WorkingSetSize;
        if (workingSet == 0 && record.processId != 0)
            workingSet = WorkingSetOf(record.processId);
        record.workingSetKb = KilobytesHalfEven(workingSet);
        table.push_back(std::move(record));
        if (info->NextEntryOffset == 0)
            break;
        entry += info->NextEntryOffset;
    }
    return true;
}

// The toolhelp snapshot serves where the kernel query is not available.
void ReadFromSnapshot(std::vector<ProcessRecord>& table) {
    ForEachSnapshotProcess([&](const PROCESSENTRY32W& entry) {
        ProcessRecord record;
        record.imageName = FileNamePart(entry.szExeFile);
        record.processId = entry.th32ProcessID;
        record.parentId = entry.th32ParentProcessID;
        record.threadCount = entry.cntThreads;
        record.workingSetKb = KilobytesHalfEven(WorkingSetOf(entry.th32ProcessID));
        table.push_back(std::move(record));
    });
}

} // namespace

bool ForEachSnapshotProcess(const std::function<void(const PROCESSENTRY32W&)>& visit) {
    const UniqueSnapshot snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32W entry{sizeof entry};
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry))
        visit(entry);
    return true;
}

std::vector<ProcessRecord> ReadProcessTable() {
    std::vector<ProcessRecord> table;
    table.reserve(512);
    if (!ReadFromKernel(table)) {
        table.clear();
        ReadFromSnapshot(table);
    }
    return table;
}

std::wstring ProcessImagePath(DWORD processId) {
    if (const UniqueKernelHandle process(
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        process) {
        // A process that has ended can still be opened while anyone holds a handle to it, and
        // still names its image; it is not running any more, so it has no path here.
        DWORD exitCode = 0;
        if (::GetExitCodeProcess(process.get(), &exitCode) && exitCode != STILL_ACTIVE)
            return {};
        std::wstring path(MAX_PATH, L'\0');
        for (DWORD capacity = MAX_PATH; capacity <= 32768; capacity *= 2) {
            path.resize(capacity);
            DWORD length = capacity;
            if (::QueryFullProcessImageNameW(process.get(), 0, path.data(), &length)) {
                path.resize(length);
                return path;
            }
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
                break;
        }
    }
    // Older systems: the first module's file name, which needs read rights as well.
    const UniqueKernelHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process)
        return {};
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (!::EnumProcessModules(process.get(), &first, sizeof first, &needed))
        return {};
    std::wstring path(32768, L'\0');
    path.resize(
        ::GetModuleFileNameExW(process.get(), first, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

std::wstring SystemRootPath() {
    std::wstring root;
    fReadValue(HKEY_LOCAL_MACHINE, L"software\\microsoft\\windows\\currentversion", L"SystemRoot",
               root);
    if (Trim(root).empty())
        fReadValue(HKEY_LOCAL_MACHINE, L"software\\microsoft\\windows nt\\currentversion",
                   L"SystemRoot", root);
    return root;
}

DWORD GetPlatformId() {
    return RealOsVersion().platformId;
}

namespace {
// IDs of the processes whose image file name equals `name` (its file-name part), ignoring
// case, in the system's order. Names come from the snapshot, so no process is opened and
// none that cannot be opened is missed.
std::vector<DWORD> ProcessesNamed(std::wstring_view name) {
    const std::wstring wanted = FileNamePart(Trim(name));
    std::vector<DWORD> ids;
    ForEachSnapshotProcess([&](const PROCESSENTRY32W& entry) {
        if (EqualsNoCase(FileNamePart(entry.szExeFile), wanted))
            ids.push_back(entry.th32ProcessID);
    });
    return ids;
}
} // namespace

DWORD FindProcessId(std::wstring_view name) {
    const std::vector<DWORD> ids = ProcessesNamed(name);
    return ids.empty() ? 0 : ids.front();
}

std::wstring IsApplicationRunning(std::wstring_view name) {
    for (const DWORD id : ProcessesNamed(name))
        if (std::wstring path = ProcessImagePath(id); !path.empty())
            return path;
    return {};
}

} // namespace tessaly
