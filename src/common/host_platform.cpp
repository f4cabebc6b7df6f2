// The host build's stand-ins for what the Windows build takes from the system.
#include "common/number_format.h"
#include "common/text.h"

#include <cstdio>
#include <cwctype>

namespace tessaly {

wchar_t FoldCase(wchar_t c) {
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

std::string SortKey(std::wstring_view text) {
    std::string key;
    for (const wchar_t c : text) {
        const auto code = static_cast<unsigned long>(FoldCase(c));
        for (int shift : {16, 8, 0})
            key.push_back(static_cast<char>((code >> shift) & 0xFF));
    }
    return key;
}

std::wstring FormatNumber(double value, int decimals, bool grouping) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, RoundHalfAway(value, decimals));
    std::string text(buffer);
    if (grouping) {
        const size_t dot = text.find('.');
        size_t end = dot == std::string::npos ? text.size() : dot;
        const size_t begin = text[0] == '-' ? 1 : 0;
        for (size_t i = end; i > begin + 3; i -= 3)
            text.insert(i - 3, ",");
    }
    return std::wstring(text.begin(), text.end());
}

} // namespace tessaly
