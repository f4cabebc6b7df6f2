// The Run keys Windows starts programs from, read into startup entries, and the values deleted
// again. The machine's keys are read in both registry views: on a 64-bit system, 32-bit
// programs register under WOW6432Node, which a reader of one view alone never sees.
#pragma once

#include "startup/startup_entry.h"

#include <windows.h>

#include <string>
#include <vector>

namespace tessaly {

inline constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\windows\\currentversion\\run";
inline constexpr const wchar_t* kNtRunKey = L"Software\\Microsoft\\windows nt\\currentversion\\run";

// Where the entries come from; tests hand in roots of their own.
struct RunKeyRoots {
    HKEY machine = HKEY_LOCAL_MACHINE;
    HKEY user = HKEY_CURRENT_USER;
};

// Every named value of the Run keys, in list order: the machine's (64-bit view, then 32-bit
// view), then the user's. A machine view whose "windows" key cannot be read gives its
// "windows nt" key instead; the user's "windows nt" key is read only when the "windows" key is
// missing. Values that cannot be read are left out; only the end of the list ends a key.
std::vector<StartupEntry> ReadRunKeys(const RunKeyRoots& roots = {});

// A Run key as it is read: root, path and view flags, with what its entries carry.
struct RunKeyPlace {
    HKEY root;
    const wchar_t* subKey;
    REGSAM view; // 0, KEY_WOW64_64KEY or KEY_WOW64_32KEY
};
// All the keys ReadRunKeys may read, for watching them.
std::vector<RunKeyPlace> RunKeyPlaces(const RunKeyRoots& roots = {});

// Deletes the entry's value from both Run keys of its hive, in its view. ERROR_SUCCESS when
// the value is gone from both (or was never there), otherwise the first refusal's code.
LONG DeleteRunValue(const StartupEntry& entry, const RunKeyRoots& roots = {});

// The resolved path, file name and running state of every entry, from one process snapshot.
void StartupStatusPass(std::vector<StartupEntry>& entries);

} // namespace tessaly
