// Paths as the file functions take them at any length. Pure.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The form to open a file by: a full path of MAX_PATH (260) characters or more gets the
// "\\?\" prefix ("\\?\UNC\" for a share), without which the file functions fail on it. Shorter
// paths, paths already in a prefixed or device form and relative paths come back unchanged.
// Every file opened by a path taken from the process table goes through this.
std::wstring ExtendedPath(std::wstring_view path);

} // namespace tessaly
