// The Options dialog's data and how it is loaded from and saved to the registry, apart from
// the dialog itself so tests can drive it against the real registry.
#pragma once

#include "settings/registry.h"

#include <string>
#include <vector>

namespace tessaly {

struct OptionsModel {
    bool autoRefresh = false;    // Check1
    std::wstring seconds;        // Text1, as stored
    bool hasSeconds = false;     // "reftm" exists
    int secondsNumber = 0;       // UpDown1
    bool autostart = false;      // Check2
    bool startupMonitor = false; // Check3
};

// The most of a stored "reftm" text the dialog shows: a number of seconds needs far fewer
// characters, and a huge text would only stall the edit box.
inline constexpr size_t kSecondsTextLimit = 32;

OptionsModel LoadOptions(const SettingsStore& store);

// The value written to the current user's Run key: the program file with the "s" argument,
// the path quoted when it holds blanks so Windows cannot mistake a prefix of it for the
// program.
std::wstring AutostartCommand(std::wstring_view programFolder);

struct SaveResult {
    std::vector<std::wstring> failed; // names of the values that could not be stored
    bool secondsRefused = false;      // the seconds were out of range; nothing was written
    bool ok() const { return failed.empty() && !secondsRefused; }
};

// Writes every value in the dialog's order; the Run value under `userRoot`. Seconds whose
// leading number lies outside 0 to 86400 are refused, and then nothing is written.
SaveResult SaveOptions(const SettingsStore& store, HKEY userRoot, const OptionsModel& model,
                       std::wstring_view programFolder);

// "Settings Successfully Saved", or which values could not be stored.
std::wstring SaveMessage(const SaveResult& result);

} // namespace tessaly
