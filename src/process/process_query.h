// Reading the system's process table. Every process the system reports is listed, whatever
// its name (a program may have no extension); what cannot be read about one (its path,
// usually) stays empty.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include "process/process_record.h"

#include <functional>
#include <string>
#include <vector>

namespace tessaly {

// All processes, in the system's order, with name, ID, parent, threads, working set and
// creation time. No process is opened for these. Paths are left empty.
std::vector<ProcessRecord> ReadProcessTable();

// Calls `visit` for every entry of a toolhelp process snapshot, in the system's order; false
// when no snapshot could be taken.
bool ForEachSnapshotProcess(const std::function<void(const PROCESSENTRY32W&)>& visit);

// The full Win32 path of a process's image file, any length; empty when the process cannot
// be opened even with limited query rights.
std::wstring ProcessImagePath(DWORD processId);

// The Windows folder as the registry stores it, for cleaning NT-style image paths.
std::wstring SystemRootPath();

// Platform id of the running system: 1 for the 9x family, 2 for the NT family.
DWORD GetPlatformId();

// The first process (in the system's order) whose image file name equals `name`, ignoring
// case; 0 when none runs.
DWORD FindProcessId(std::wstring_view name);

// The full path of the first process whose image file name equals the file-name part of
// `name`, ignoring case; empty when none runs (or its path cannot be read).
std::wstring IsApplicationRunning(std::wstring_view name);

} // namespace tessaly
