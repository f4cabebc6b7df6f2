#include "common/long_path.h"

namespace tessaly {

namespace {
constexpr size_t kMaxPath = 260; // MAX_PATH, counting the terminating NUL

bool IsLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}
} // namespace

std::wstring ExtendedPath(std::wstring_view path) {
    if (path.size() < kMaxPath)
        return std::wstring(path);
    // "\\?\" and "\\.\" are already past the length limit; "\\server\share\..." is a share.
    if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\") || path.starts_with(L"\\??\\"))
        return std::wstring(path);
    if (path.starts_with(L"\\\\"))
        return L"\\\\?\\UNC\\" + std::wstring(path.substr(2));
    if (IsLetter(path[0]) && path[1] == L':' && path[2] == L'\\')
        return L"\\\\?\\" + std::wstring(path);
    return std::wstring(path); // relative: the prefix would not resolve it
}

} // namespace tessaly
