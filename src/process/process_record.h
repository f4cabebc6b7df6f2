// One running program as the process list shows it, and the small rules that shape its
// fields. Pure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

struct ProcessRecord {
    std::wstring imageName;    // file name only, case as reported
    uint32_t workingSetKb = 0; // working set / 1024, halves to even
    uint32_t processId = 0;
    uint32_t threadCount = 0;
    uint32_t parentId = 0;
    std::wstring path;         // cleaned, lower case; empty when it cannot be read
    uint64_t creationTime = 0; // FILETIME ticks; with the ID it names one process instance
    int iconIndex = -1;        // the file's icon in the system image list
};

// Bytes to kilobytes, rounded half to even (1,536 and 2,560 bytes both give 2).
uint32_t KilobytesHalfEven(uint64_t bytes);

// NT image paths to what a user knows: lower case, "\systemroot" replaced by the Windows
// folder as stored in the registry, every "\??\" removed.
std::wstring CleanProcessPath(std::wstring_view path, std::wstring_view systemRoot);

// Whether a snapshot entry goes into the snapshot's own name lists (List1/List2): only names
// containing "." (the idle process has none). The process table lists every process.
bool IsListedImageName(std::wstring_view name);

} // namespace tessaly
