// What the version resource of a file says about it, and the line the found-files list keeps
// for it. Pure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

// Strings of a file's first translation; "?" for a key the file lacks, all empty for a file
// without version information.
struct FileInfoRecord {
    std::wstring company, description, fileVersion, internalName, copyright, originalFileName,
        productName, productVersion;
};

// fileName|size|folder|description|company|version|product followed by "\r". A field that is
// empty, blank or "?" gives "Unknown Product", "Unknown Company" or "Unknown Version"; a
// missing product name gives the file name up to its first ".". A "|", CR or LF inside a field
// is written as a space, so every record stays one line of seven fields.
std::wstring FoundFileRecord(std::wstring_view fileName, uint64_t size, std::wstring_view folder,
                             const FileInfoRecord& info);

// Installers and uninstallers come and go; names starting with "setup" or "unins" (any case,
// leading blanks ignored) are not recorded.
bool IsRecordedFileName(std::wstring_view name);

} // namespace tessaly
