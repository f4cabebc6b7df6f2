#include "memory/memory_options.h"

#include "common/text.h"

namespace tessaly {

std::wstring StoredHotkeyKey(std::wstring_view typed) {
    const std::wstring key = Trim(typed);
    if (key.empty())
        return {};
    wchar_t c = key[0];
    if (c >= L'a' && c <= L'z')
        c = static_cast<wchar_t>(c - L'a' + L'A');
    return std::wstring(1, c);
}

} // namespace tessaly
