// Reading the strings of a raw version resource (VS_VERSIONINFO) without the system's help, so
// the walk can be tested and fuzzed on any platform. Pure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

// The first language and code page of "VarFileInfo\Translation"; nullopt when the block has no
// such list or it holds less than one pair.
struct Translation {
    uint16_t language = 0, codePage = 0;
};
std::optional<Translation> FirstTranslation(const uint8_t* data, size_t size);

// The String `key` of the string table named `table`, both matched without regard to (ASCII)
// case as the system matches them; nullopt when there is none. The text ends at its NUL, at
// its stated length or at the end of its own entry, whichever comes first: a string that
// claims more never reads into the next entry.
std::optional<std::wstring> FindVersionString(const uint8_t* data, size_t size,
                                              std::wstring_view table, std::wstring_view key);

// The name of a string table for a language and code page: 8 upper-case hex digits, language
// first (0x0409, 0x04B0 -> "040904B0").
std::wstring TranslationKey(uint16_t language, uint16_t codePage);

} // namespace tessaly
