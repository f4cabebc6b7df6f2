// Which startup names are new against the remembered ones. Pure.
#pragma once

#include <string>
#include <vector>

namespace tessaly {

// How a name is remembered: trimmed and lower-cased.
std::wstring RememberedName(const std::wstring& name);

// For each current name, in order, whether it is new: no remembered name equals it, letter
// case aside. Every occurrence of a new name is new; no character has a special meaning.
std::vector<bool> NewNameMarks(const std::vector<std::wstring>& current,
                               const std::vector<std::wstring>& remembered);

} // namespace tessaly
