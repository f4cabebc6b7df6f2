#include "common/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tessaly {

namespace {
bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}
bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}
int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}
} // namespace

std::wstring Trim(std::wstring_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return std::wstring(text.substr(begin, end - begin));
}

std::wstring Lower(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out)
        c = FoldCase(c);
    return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

bool ContainsNoCase(std::wstring_view haystack, std::wstring_view needle) {
    return Lower(haystack).find(Lower(needle)) != std::wstring::npos;
}

std::wstring FileNamePart(std::wstring_view path) {
    const size_t slash = path.rfind(L'\\');
    return std::wstring(slash == std::wstring_view::npos ? path : path.substr(slash + 1));
}

std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to) {
    if (from.empty())
        return std::wstring(text);
    std::wstring out;
    size_t pos = 0;
    for (;;) {
        const size_t hit = text.find(from, pos);
        if (hit == std::wstring_view::npos)
            break;
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

double LeadingNumber(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    double value = 0;
    if (i + 1 < text.size() && text[i] == L'&' && (text[i + 1] == L'h' || text[i + 1] == L'H')) {
        for (i += 2; i < text.size() && HexDigit(text[i]) >= 0; ++i)
            value = value * 16 + HexDigit(text[i]);
    } else {
        // The decimal form goes through strtod, which rounds correctly: adding up digit times
        // 0.1, 0.01, ... lands a step off ("0.3" would read as 0.30000000000000004). Only the
        // characters accepted here are passed, so strtod's wider syntax (exponents, "inf")
        // does not apply; like ShortestNumber, this relies on the C locale's decimal point.
        std::string number;
        if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
            number += static_cast<char>(text[i++]);
        for (; i < text.size() && IsDigit(text[i]); ++i)
            number += static_cast<char>(text[i]);
        if (i < text.size() && text[i] == L'.') {
            number += '.';
            for (++i; i < text.size() && IsDigit(text[i]); ++i)
                number += static_cast<char>(text[i]);
        }
        value = std::strtod(number.c_str(), nullptr);
    }
    // Too many digits overflow to infinity; such text is not a number a setting can hold.
    if (!std::isfinite(value))
        return 0;
    return value;
}

std::wstring ShortestNumber(double value) {
    if (!std::isfinite(value))
        return L"0";
    if (value == 0)
        return L"0"; // also turns -0 into 0
    // Room for the plain form of any double: 309 integer digits, or "0." and 340 decimals.
    char buffer[400];
    int precision = 1;
    for (;; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
        if (precision == 15 || std::strtod(buffer, nullptr) == value)
            break;
    }
    // %g switches to exponent form for very large and very small numbers; settings never hold
    // such values, but a plain form is what a user types back, so expand it with the same
    // significant digits.
    if (const char* e = std::strchr(buffer, 'e')) {
        const int exponent = std::atoi(e + 1);
        std::snprintf(buffer, sizeof buffer, "%.*f", std::max(0, precision - 1 - exponent), value);
        if (std::strchr(buffer, '.')) {
            size_t end = std::strlen(buffer);
            while (buffer[end - 1] == '0')
                --end;
            if (buffer[end - 1] == '.')
                --end;
            buffer[end] = '\0';
        }
    }
    return std::wstring(buffer, buffer + std::strlen(buffer));
}

} // namespace tessaly
