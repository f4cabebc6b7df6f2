// Reading the strings of a raw version resource (VS_VERSIONINFO) without the system's help, so
// the walk can be tested and fuzzed on any platform. Pure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessaly {

// The ten strings the properties view shows. Missing ones stay empty.
struct VersionStrings {
    std::wstring Comments, BuildID, LegalCopyright, ProductVersion, ProductName, OriginalFilename,
        InternalName, FileVersion, FileDescription, CompanyName;
};

// Walks "StringFileInfo" -> every string table, whatever its language -> String entries and
// picks the ten keys above, compared exactly. A later table overwrites what an earlier one
// gave, so with several languages the last table wins. Every length in the block is checked
// against the bytes given: a damaged block ends the walk and yields what was read so far.
VersionStrings ScanVersionBlock(const uint8_t* data, size_t size);

// The name of a string table for a language and code page: 8 upper-case hex digits, language
// first (0x0409, 0x04B0 -> "040904B0").
std::wstring TranslationKey(uint16_t language, uint16_t codePage);

} // namespace tessaly
