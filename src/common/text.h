// Text helpers shared by every subsystem. Pure: no Windows headers, and nothing here
// depends on the width of wchar_t.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// Case folding of one character; each platform supplies it (the Windows build through the
// system's own table, the host build through the C library), so behaviour beyond ASCII
// follows the platform.
wchar_t FoldCase(wchar_t c);

// UTF-8 of a text, also supplied by each platform (text on Windows is UTF-16, on the host
// UTF-32); what cannot be encoded becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

// A key that orders texts as the user's locale sorts them, ignoring case, by comparing keys
// bytewise: "Ünïcødé.exe" before "winedevice.exe", digits by their value where the system
// offers that, as Explorer lists files. Each platform supplies it (the host by folded
// character codes).
std::string SortKey(std::wstring_view text);

std::wstring Trim(std::wstring_view text);
std::wstring Lower(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
bool ContainsNoCase(std::wstring_view haystack, std::wstring_view needle);

// The text after the last backslash; the whole text when there is none.
std::wstring FileNamePart(std::wstring_view path);

// Every occurrence of `from` (compared as is) replaced by `to`.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to);

// The number a settings text starts with: optional blanks, sign, digits, decimal point and
// fraction, or "&h" followed by hexadecimal digits (the form DWORD values are shown in).
// Text that does not start with a number gives 0.
double LeadingNumber(std::wstring_view text);

// A number in its shortest form: 5, 7.5, 0, -3.25. Up to 15 significant digits.
std::wstring ShortestNumber(double value);

} // namespace tessaly
