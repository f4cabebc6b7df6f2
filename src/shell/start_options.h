// What the command line and the settings ask of start-up.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

struct StartOptions {
    bool startHidden = false;     // "s": start hidden in the notification area
    bool openPanelAtLoad = false; // "g": build the process panel once more while loading
};

// The arguments of a full command line: everything after the program name, which may be
// quoted.
std::wstring ArgumentsOf(std::wstring_view commandLine);

// The arguments are trimmed and compared without regard to case, as a whole.
StartOptions ParseStartOptions(std::wstring_view arguments);

struct HotkeySetting {
    bool enabled = false;
    unsigned virtualKey = 0; // the character code of the key text's first character
};

// From the "1" and "key" values: on only when "1" reads as exactly 1 and the trimmed key text
// is not empty. The character code is taken as is, without any change of case.
HotkeySetting HotkeyFromSettings(std::wstring_view enabledText, std::wstring_view keyText);

// "reftm" seconds to the refresh timer interval. 0, a negative number, one that is not finite
// and one over a day mean the default of 15 s; anything under a second runs at one second,
// since rebuilding the list more often only keeps a core busy.
unsigned RefreshIntervalMs(double refreshSeconds);

// Left (or top) that centres a window of `size` on a screen of `screen`; a window larger
// than the screen gets a negative position, which is used as it is.
int CentredPosition(int screenOrigin, int screenSize, int size);

} // namespace tessaly
