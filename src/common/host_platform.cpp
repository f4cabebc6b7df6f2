// The host build's stand-ins for what the Windows build takes from the system.
#include "common/number_format.h"
#include "common/text.h"

#include <cstdint>
#include <cstdio>
#include <cwctype>

namespace tessaly {

wchar_t FoldCase(wchar_t c) {
    return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    for (wchar_t w : text) {
        auto c = static_cast<uint32_t>(w);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
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
