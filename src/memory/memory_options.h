// What the memory "Options" view sets: the show/hide hotkey, kept under "ramopt". Pure.
#pragma once

#include <string>

namespace tessaly {

struct RamOptions {
    bool hotkeyOn = false;
    std::wstring hotkeyKey; // one letter or digit
};

// The hotkey letter as stored: the first character, upper case for letters (the hotkey uses
// the character's code as a key code, and key codes of letters are their capitals).
std::wstring StoredHotkeyKey(std::wstring_view typed);

} // namespace tessaly
