// Names and paths taken from the system are data, not markup. These turn them into the text a
// control shows without letting them steer it. Pure.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The mark shown in place of a character that would otherwise act unseen.
inline constexpr wchar_t kReplacementMark = L'\xFFFD';

// `text` with every control character (C0, DEL, C1) and every bidirectional control
// (U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069) shown as kReplacementMark, so a
// name such as "invoice" U+202E "gpj.exe" cannot read as "invoice exe.jpg". Only for showing:
// lookups and actions keep the real name.
std::wstring DisplayText(std::wstring_view text);

// Every "&" doubled, so a menu, button or label shows it instead of underlining the next
// character.
std::wstring DoubleAmpersands(std::wstring_view text);

// A name or path as placed in a menu caption: made visible, then "&" doubled.
std::wstring MenuText(std::wstring_view text);

} // namespace tessaly
