#include "shell/start_options.h"

#include "common/text.h"
#include "settings/setting_names.h"

#include <cmath>

namespace tessaly {

std::wstring ArgumentsOf(std::wstring_view commandLine) {
    size_t i = 0;
    while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t'))
        ++i;
    if (i < commandLine.size() && commandLine[i] == L'"') {
        const size_t close = commandLine.find(L'"', i + 1);
        i = close == std::wstring_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t')
            ++i;
    }
    return std::wstring(commandLine.substr(i));
}

StartOptions ParseStartOptions(std::wstring_view arguments) {
    const std::wstring word = Lower(Trim(arguments));
    StartOptions options;
    options.startHidden = word == L"s";
    options.openPanelAtLoad = word == L"g";
    return options;
}

HotkeySetting HotkeyFromSettings(std::wstring_view enabledText, std::wstring_view keyText) {
    HotkeySetting hotkey;
    const std::wstring key = Trim(keyText);
    if (LeadingNumber(enabledText) != 1 || key.empty())
        return hotkey;
    hotkey.enabled = true;
    hotkey.virtualKey = static_cast<unsigned>(key[0]);
    return hotkey;
}

unsigned RefreshIntervalMs(double refreshSeconds) {
    // Negative or absurd values would make a timer that never or always fires; the default
    // serves better than either.
    if (!(refreshSeconds > 0) || refreshSeconds > settings::kLongestRefreshSeconds)
        return 15000;
    // The nudge keeps decimal seconds whole: 1.001 * 1000 is 1000.9999999999999 in binary.
    const double ms = std::floor(refreshSeconds * 1000 * (1 + 1e-12));
    return ms < 1000 ? 1000 : static_cast<unsigned>(ms);
}

int CentredPosition(int screenOrigin, int screenSize, int size) {
    return screenOrigin + (screenSize - size) / 2;
}

} // namespace tessaly
