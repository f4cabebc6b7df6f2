// Facts about the machine for the main window: platform, memory and the process table
// (clsSysInfo), and the version texts of the log file (cSystemInfo).
#pragma once

#include <windows.h>

#include "process/process_record.h"

#include <string>
#include <vector>

namespace tessaly {

class clsSysInfo {
public:
    // Reads memory, platform and the shell library version, then loads the process table.
    // False (error number 2) when the version facts cannot be read.
    bool Initialise();
    void LoadProcessArray();

    // The next free column of the table: one more than the number of processes loaded, 0
    // before the first load.
    int iProcessCount() const { return loaded_ ? static_cast<int>(table_.size()) + 1 : 0; }
    int ProcessCount() const { return static_cast<int>(table_.size()); }
    // Column `procIndex` (1-based), row 1 the file name, row 2 the working set in KB; empty
    // outside the table.
    std::wstring sProcessInfo(int procIndex, int procInfo) const;
    const std::vector<ProcessRecord>& Processes() const { return table_; }

    uint32_t lTotalMemory() const { return totalMemoryKb_; }
    uint32_t fMemoryInUse() const;
    int ErrorNumber() const { return errorNumber_; }
    DWORD PlatformId() const { return platformId_; }

private:
    std::vector<ProcessRecord> table_;
    bool loaded_ = false;
    uint32_t totalMemoryKb_ = 0;
    DWORD platformId_ = 0;
    int errorNumber_ = 0;
};

class cSystemInfo {
public:
    cSystemInfo();
    const std::wstring& WinName() const { return winName_; }
    const std::wstring& WinVersion() const { return winVersion_; }
    const std::wstring& IEVersion() const { return ieVersion_; }

private:
    std::wstring winName_, winVersion_, ieVersion_;
};

// The four numbers of this program's own file version (its version resource); all 0 when it
// cannot be read.
struct FileVersionNumbers {
    uint32_t major = 0, minor = 0, build = 0, revision = 0;
};
FileVersionNumbers OwnFileVersion();

// DllGetVersion of shlwapi.dll; false when the library or the call fails.
struct ShellVersion {
    DWORD major = 0, minor = 0, build = 0;
};
bool ReadShellVersion(ShellVersion& version);

} // namespace tessaly
