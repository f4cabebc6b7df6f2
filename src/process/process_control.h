// Acting on running processes: ending them, reading and setting their priority class, and
// listing the modules they have loaded. A process that cannot be opened is an ordinary
// result (false, 0 or an empty list), never an error shown to the user.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// The ending functions below take an optional `refusal`: when an existing process could not be
// ended (no right to open it, or the system refused), the first such error code is stored
// there if it still holds 0. A process that is already gone is not a refusal.

// Ends, with exit code 1, every process in a toolhelp snapshot whose image file name equals
// `name` ignoring case (the whole name: "host.exe" never ends "svchost.exe"). `sparePid` is
// left running: it is the caller, which ends itself its own way. True when any process of
// that name was running, the spared one included.
bool TerminateBySnapshotName(std::wstring_view name, DWORD sparePid, DWORD* refusal = nullptr);

// Ends processes named `name` one at a time, looking each up afresh, until none is left.
// Stops early when an ending fails, when the same process comes back (it could not be
// ended) or when the lookup finds `sparePid`, so a protected process cannot keep it
// looping. Always true.
bool TerminateByLookupName(std::wstring_view name, DWORD sparePid, DWORD* refusal = nullptr);

// Ends one process with exit code 1 and gives it up to a second to go, so a list read right
// after no longer shows it. True when the system accepted the termination.
bool TerminateById(DWORD pid, DWORD* refusal = nullptr);

// Whether Windows marks the process critical (ending it stops the system). False when it
// cannot be read.
bool IsCriticalProcess(DWORD pid);

bool SetPriority(DWORD pid, DWORD priorityClass);
// The priority class, 0 when the process cannot be opened.
DWORD QueryPriority(DWORD pid);

// Every module handle of an open process (32- and 64-bit), in load order; empty when they
// cannot be read. The process needs query and read rights.
std::vector<HMODULE> ModuleHandles(HANDLE process);
// A module's full file name, any length; empty when it cannot be read.
std::wstring ModuleFileName(HANDLE process, HMODULE module);

struct ModuleRow {
    std::wstring path;
    uint64_t imageSize = 0;    // bytes the module occupies in the process
    std::wstring lastModified; // the file's last write, user's short date and time; may be empty
};

// Every module loaded in the process, 32- and 64-bit, in load order, except the one whose
// path equals `processPath` ignoring case (the program's own image). Empty when the process
// cannot be opened for reading.
std::vector<ModuleRow> ListModules(DWORD pid, std::wstring_view processPath);

} // namespace tessaly
