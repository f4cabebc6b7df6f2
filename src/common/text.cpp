#include "common/text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tessaly {

namespace {
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
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
    if (i + 1 < text.size() && text[i] == L'&' && (text[i + 1] == L'h' || text[i + 1] == L'H')) {
        double value = 0;
        for (i += 2; i < text.size() && HexDigit(text[i]) >= 0; ++i)
            value = value * 16 + HexDigit(text[i]);
        return value;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    double value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i)
        value = value * 10 + (text[i] - L'0');
    if (i < text.size() && text[i] == L'.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
            value += (text[i] - L'0') * scale;
            scale /= 10;
        }
    }
    if (!std::isfinite(value))
        return 0;
    return negative ? -value : value;
}

std::wstring ShortestNumber(double value) {
    if (!std::isfinite(value))
        return L"0";
    if (value == 0)
        return L"0"; // also turns -0 into 0
    char buffer[64];
    for (int precision = 1; precision <= 15; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
        if (std::strtod(buffer, nullptr) == value)
            break;
    }
    std::string narrow(buffer);
    // %g switches to exponent form for large numbers; settings never hold such values, but a
    // plain form is what a user types back, so expand it.
    if (narrow.find('e') != std::string::npos) {
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
        narrow = buffer;
    }
    return std::wstring(narrow.begin(), narrow.end());
}

} // namespace tessaly
