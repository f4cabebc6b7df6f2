// File name patterns as the file search takes them. Pure.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// True when `name` matches `pattern`: "*" any run of characters, "?" exactly one, letters
// compared without case. A pattern ending in ".*" also takes names without an extension, and
// "*.*" takes every name, as the system's own matching does. An empty pattern takes nothing.
bool MatchesWildcard(std::wstring_view pattern, std::wstring_view name);

// The patterns of a search text split at every "|"; empty pieces are kept.
std::vector<std::wstring> SplitPatterns(std::wstring_view search);

} // namespace tessaly
