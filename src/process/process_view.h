// The texts the process list shows for a row. Pure.
#pragma once

#include "process/process_record.h"

#include <string>

namespace tessaly {

enum class ProcessColumn { Name = 0, Memory = 1, Id = 2, Threads = 3, Path = 4 };

std::wstring ProcessCellText(const ProcessRecord& record, ProcessColumn column);

// The details area of the selected row.
struct ProcessDetails {
    std::wstring name;
    std::wstring size; // bytes + " Byte"; empty when the file cannot be read
    std::wstring company;
    std::wstring description;
    std::wstring version;
    std::wstring readMoreLink;  // "Read more about " + name
    std::wstring terminateLink; // "Terminate " + name + " Process"
};

struct VersionTexts {
    std::wstring company, description, fileVersion;
};

// The details of a file shown under the name `name` (the links name it too).
ProcessDetails DetailsForFile(const std::wstring& name, bool sizeKnown, uint64_t fileSize,
                              const VersionTexts& version);
ProcessDetails DetailsFor(const ProcessRecord& record, bool sizeKnown, uint64_t fileSize,
                          const VersionTexts& version);

// The folder of a file path, up to and including its last backslash; empty without one.
std::wstring FolderOf(std::wstring_view path);

} // namespace tessaly
