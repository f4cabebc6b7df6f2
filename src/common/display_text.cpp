#include "common/display_text.h"

namespace tessaly {

namespace {
bool ActsUnseen(wchar_t c) {
    const auto code = static_cast<unsigned long>(c);
    return code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x061C || code == 0x200E ||
           code == 0x200F || (code >= 0x202A && code <= 0x202E) ||
           (code >= 0x2066 && code <= 0x2069);
}
} // namespace

std::wstring DisplayText(std::wstring_view text) {
    std::wstring shown(text);
    for (wchar_t& c : shown)
        if (ActsUnseen(c))
            c = kReplacementMark;
    return shown;
}

std::wstring DoubleAmpersands(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t c : text) {
        out.push_back(c);
        if (c == L'&')
            out.push_back(L'&');
    }
    return out;
}

std::wstring MenuText(std::wstring_view text) {
    return DoubleAmpersands(DisplayText(text));
}

} // namespace tessaly
