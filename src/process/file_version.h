// Version information of files on disk, read through the system's version API.
#pragma once

// <winver.h> defines GetFileVersionInfo as GetFileVersionInfoW; including it here makes every
// user of FileVersionInfo see the member under the same (expanded) name.
#include <windows.h>
#include <winver.h>

#include "process/file_info_record.h"
#include "process/version_block.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaly {

// The strings of the file's first translation (the first entry of \VarFileInfo\Translation),
// "?" for each key the file lacks; all empty when the file has no version resource, has no
// translation list or cannot be read. The system matches keys without regard to case.
//
// An empty path returns the last result read for a non-empty path (all empty before the
// first). The cache is shared by all threads; the worker thread calls this too.
FileInfoRecord GetFileInfo(std::wstring_view path);

// The ten strings of a file's version resource as ScanVersionBlock finds them: keys matched
// exactly, and with several string tables the last one wins, whatever the translation list
// says. This can differ from GetFileInfo for files with more than one language.
class FileVersionInfo {
public:
    // Clears all ten strings, then fills those the file has.
    void GetFileVersionInfo(std::wstring_view fileName);

    const std::wstring& Comments() const { return strings_.Comments; }
    const std::wstring& BuildID() const { return strings_.BuildID; }
    const std::wstring& LegalCopyright() const { return strings_.LegalCopyright; }
    const std::wstring& ProductVersion() const { return strings_.ProductVersion; }
    const std::wstring& ProductName() const { return strings_.ProductName; }
    const std::wstring& OriginalFilename() const { return strings_.OriginalFilename; }
    const std::wstring& InternalName() const { return strings_.InternalName; }
    const std::wstring& FileVersion() const { return strings_.FileVersion; }
    const std::wstring& FileDescription() const { return strings_.FileDescription; }
    const std::wstring& CompanyName() const { return strings_.CompanyName; }

private:
    VersionStrings strings_;
};

// Size of a file in bytes; ok is false (and the result 0) when it cannot be read.
uint64_t FileSizeOf(std::wstring_view path, bool& ok);

} // namespace tessaly
