#include "process/process_control.h"

#include "common/long_path.h"
#include "common/text.h"
#include "process/process_query.h"
#include "win32/handles.h"

#include <psapi.h>
#include <tlhelp32.h>

namespace tessaly {

namespace {

constexpr UINT kExitCode = 1;       // what an ended process reports; not STILL_ACTIVE (259)
constexpr DWORD kGoneWaitMs = 1000; // how long an ending may take before we move on
constexpr ULONG kProcessBreakOnTermination = 29;

bool SameFileName(std::wstring_view imageName, std::wstring_view wanted) {
    return EqualsNoCase(FileNamePart(imageName), wanted);
}

// Opens for ending and, where allowed, for waiting on the end.
UniqueKernelHandle OpenForTermination(DWORD pid) {
    UniqueKernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process)
        process.reset(::OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    return process;
}

// Keeps the first refusal; a process that has gone in the meantime is none.
void NoteRefusal(DWORD* refusal, DWORD error) {
    if (refusal && *refusal == 0 && error != ERROR_INVALID_PARAMETER && error != 0)
        *refusal = error;
}

bool EndProcess(DWORD pid, DWORD* refusal) {
    const UniqueKernelHandle process = OpenForTermination(pid);
    if (!process) {
        NoteRefusal(refusal, ::GetLastError());
        return false;
    }
    if (!::TerminateProcess(process.get(), kExitCode)) {
        const DWORD error = ::GetLastError();
        // Ending a process that is ending already is refused, and is no failure.
        if (::WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0)
            NoteRefusal(refusal, error);
        return false;
    }
    // Termination is asynchronous; without SYNCHRONIZE the wait fails at once, which is fine.
    ::WaitForSingleObject(process.get(), kGoneWaitMs);
    return true;
}

std::wstring LastWriteText(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(ExtendedPath(path).c_str(), GetFileExInfoStandard, &data))
        return {};
    SYSTEMTIME utc{}, local{};
    if (!::FileTimeToSystemTime(&data.ftLastWriteTime, &utc) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return {};
    wchar_t date[128] = {}, time[128] = {};
    if (!::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 128,
                           nullptr) ||
        !::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &local, nullptr, time, 128))
        return {};
    return std::wstring(date) + L" " + time;
}

} // namespace

std::wstring ModuleFileName(HANDLE process, HMODULE module) {
    // A returned length equal to the buffer means the name was cut; no path is longer than
    // a UNICODE_STRING can hold, so the doubling ends.
    std::wstring name;
    for (DWORD capacity = MAX_PATH; capacity <= 65536; capacity *= 2) {
        name.resize(capacity);
        const DWORD length = ::GetModuleFileNameExW(process, module, name.data(), capacity);
        if (length < capacity) {
            name.resize(length);
            return name;
        }
    }
    return {};
}

// Every module handle of the process. Modules may load between two calls, so the buffer
// grows until one call finds room for all of them.
std::vector<HMODULE> ModuleHandles(HANDLE process) {
    std::vector<HMODULE> modules(256);
    for (;;) {
        const DWORD bytes = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
        DWORD needed = 0;
        if (!::EnumProcessModulesEx(process, modules.data(), bytes, &needed, LIST_MODULES_ALL))
            return {};
        if (needed <= bytes) {
            modules.resize(needed / sizeof(HMODULE));
            return modules;
        }
        modules.resize(needed / sizeof(HMODULE) + 64);
    }
}

bool TerminateBySnapshotName(std::wstring_view name, DWORD sparePid, DWORD* refusal) {
    const std::wstring wanted = FileNamePart(name);
    bool matched = false;
    ForEachSnapshotProcess([&](const PROCESSENTRY32W& entry) {
        if (!SameFileName(entry.szExeFile, wanted))
            return;
        matched = true;
        if (entry.th32ProcessID != sparePid && entry.th32ProcessID != 0)
            EndProcess(entry.th32ProcessID, refusal);
    });
    return matched;
}

bool TerminateByLookupName(std::wstring_view name, DWORD sparePid, DWORD* refusal) {
    DWORD previous = 0;
    for (;;) {
        const DWORD pid = FindProcessId(name);
        if (pid == 0 || pid == sparePid || pid == previous || !EndProcess(pid, refusal))
            break;
        previous = pid;
    }
    return true;
}

bool TerminateById(DWORD pid, DWORD* refusal) {
    return pid != 0 && EndProcess(pid, refusal);
}

bool IsCriticalProcess(DWORD pid) {
    using IsProcessCriticalFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    using NtQueryInformationProcessFn = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    static const auto isCritical = reinterpret_cast<IsProcessCriticalFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "IsProcessCritical")));
    static const auto ntQuery =
        reinterpret_cast<NtQueryInformationProcessFn>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    if (pid == 0)
        return false;
    if (isCritical) {
        if (const UniqueKernelHandle process(
                ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
            process) {
            BOOL critical = FALSE;
            if (isCritical(process.get(), &critical))
                return critical != FALSE;
        }
    }
    if (!ntQuery)
        return false;
    // Before Windows 8.1 the flag is read from the kernel, which wants full query rights.
    UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
    if (!process)
        process.reset(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    ULONG breakOnTermination = 0;
    return process &&
           ntQuery(process.get(), kProcessBreakOnTermination, &breakOnTermination,
                   sizeof breakOnTermination, nullptr) >= 0 &&
           breakOnTermination != 0;
}

bool SetPriority(DWORD pid, DWORD priorityClass) {
    const UniqueKernelHandle process(::OpenProcess(PROCESS_SET_INFORMATION, FALSE, pid));
    return process && ::SetPriorityClass(process.get(), priorityClass);
}

DWORD QueryPriority(DWORD pid) {
    const UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    return process ? ::GetPriorityClass(process.get()) : 0;
}

std::vector<ModuleRow> ListModules(DWORD pid, std::wstring_view processPath) {
    const UniqueKernelHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!process)
        return {};
    std::vector<ModuleRow> rows;
    for (HMODULE module : ModuleHandles(process.get())) {
        ModuleRow row;
        row.path = ModuleFileName(process.get(), module);
        if (!processPath.empty() && EqualsNoCase(row.path, processPath))
            continue;
        MODULEINFO info{};
        if (::GetModuleInformation(process.get(), module, &info, sizeof info))
            row.imageSize = info.SizeOfImage;
        if (!row.path.empty())
            row.lastModified = LastWriteText(row.path);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace tessaly
