// The machine as the status monitor reads it: platform, translucency, the Windows drive and
// its space, the processor's clock and name from the registry, memory, power and display mode.
#pragma once

#include "monitor/status_rows.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace tessaly {

bool IsNtPlatform();

// The window's extended style becomes exactly WS_EX_LAYERED; opacity + 5 is applied when it
// falls within 50-254, otherwise the window stays layered without attributes.
void MakeTransparent(HWND window, BYTE opacity);

std::wstring WindowsFolder();
std::wstring WindowsDrive(); // the first character of WindowsFolder
// The root the rows read: the Windows drive in lower case and ":\" ("c:\").
std::wstring SysDriveRoot();

// Total and free bytes of the volume (free as the volume has it, not the caller's quota).
DiskReading DiskSpace(const std::wstring& root);
int64_t DiskTotalBytes(const std::wstring& root);
int64_t DiskFreeBytes(const std::wstring& root);

// A REG_DWORD value; 0 when the key or value is missing or of another type.
uint32_t ReadRegDword(HKEY root, const wchar_t* subKey, const wchar_t* valueName);
std::wstring GetProcessorName();

// The clock text shown on the "Processor Speed:" row, kept for the whole program.
std::wstring& CpuSpeed();
// Reads "~MHz" into CpuSpeed; false (CpuSpeed unchanged) when the OS version cannot be read.
bool RefreshCpuSpeed();
// The gate RefreshCpuSpeed passes: false, with one message box per run, when the version
// of Windows cannot be read.
bool CheckOsVersion();

MemoryReading ReadMemoryStatus();
PowerRead ReadPowerStatus();
DisplayMode ReadDisplayMode();

} // namespace tessaly
