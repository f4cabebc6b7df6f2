// What the security check says about this machine: the Windows folder, the system volume's
// serial, the system's name and the key of a run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

// The Windows folder as the system reports it; empty on failure.
std::wstring GetWindowsDir();
// The serial number of the volume whose root is `drive` + ":\"; 0 when it cannot be read.
int32_t SerNum(std::wstring_view drive);
// The system's name as the check reports it (empty for systems newer than Windows 8).
std::wstring GetOSVersionName();
// Whole seconds since local midnight, now.
uint32_t SecondsSinceMidnight();
// The key of a run started at `startStamp`, from the system drive's serial.
std::wstring RunScanKey(uint32_t startStamp);

} // namespace tessaly
