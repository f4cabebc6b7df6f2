// Registry text values: the helpers every subsystem reads and writes settings through, and
// the per-user fallback for accounts that may not write the machine hive.
#pragma once

#include <windows.h>

#include "win32/handles.h"

#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// Reads a value as text: REG_SZ and REG_EXPAND_SZ as stored (any length), REG_DWORD as
// "&h" + hex digits. Other types leave `value` as it came in. On failure `value` is emptied
// and the result is false.
bool fReadValue(HKEY root, std::wstring_view subKey, std::wstring_view valueName,
                std::wstring& value);

// Writes a REG_SZ value, creating the key when needed. Returns the Windows error code
// (ERROR_SUCCESS when written).
LONG WriteValueStatus(HKEY root, std::wstring_view subKey, std::wstring_view valueName,
                      std::wstring_view value);
inline bool fWriteValue(HKEY root, std::wstring_view subKey, std::wstring_view valueName,
                        std::wstring_view value) {
    return WriteValueStatus(root, subKey, valueName, value) == ERROR_SUCCESS;
}

// "HKCU", "HKLM", "HKU", "HKCR" (any case) to their roots; any other text is a file name,
// giving kIniFileRoot when such a file exists and nullptr when not.
inline const HKEY kIniFileRoot = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(1));
HKEY fRootKey(std::wstring_view topKey);

// Deletes a value under a root: 0 when deleted or not there, otherwise the Windows error code.
LONG DeleteValueStatus(HKEY root, std::wstring_view subKey, std::wstring_view valueName);

// Deletes a value (for an INI file: blanks the entry). 0 when deleted or not there, 99 when
// the root text names neither a hive nor an existing file, otherwise the Windows error code.
LONG fDeleteValue(std::wstring_view topKeyOrFile, std::wstring_view subKeyOrSection,
                  std::wstring_view valueName);

// The program's settings: read from the current user first and the machine second; written
// to the machine, and to the current user when the machine hive refuses the write.
class SettingsStore {
public:
    explicit SettingsStore(HKEY machine = HKEY_LOCAL_MACHINE, HKEY user = HKEY_CURRENT_USER)
        : machine_(machine), user_(user) {}

    std::optional<std::wstring> Read(std::wstring_view subKey, std::wstring_view name) const;
    HKEY MachineRoot() const { return machine_; }
    HKEY UserRoot() const { return user_; }
    std::wstring Text(std::wstring_view subKey, std::wstring_view name) const {
        return Read(subKey, name).value_or(std::wstring());
    }
    double Number(std::wstring_view subKey, std::wstring_view name) const;

    enum class Stored { Machine, User, Failed };
    Stored Write(std::wstring_view subKey, std::wstring_view name, std::wstring_view value) const;

private:
    HKEY machine_;
    HKEY user_;
};

// Reports a change of a registry key on a pool thread, once per arming: the owner arms it again
// when it takes a report (before reading the key, so a change made meanwhile is reported too).
class RegistryChangeWatch {
public:
    RegistryChangeWatch() = default;
    ~RegistryChangeWatch(); // waits for a report still running
    RegistryChangeWatch(const RegistryChangeWatch&) = delete;
    RegistryChangeWatch& operator=(const RegistryChangeWatch&) = delete;

    // Begins waiting; `changed` runs on a pool thread for each report. False when the system
    // cannot report changes.
    bool Start(std::function<void()> changed);
    bool Started() const { return wait_ != nullptr; }

    // What is watched for the next report:
    // - Tree: the nearest existing key above `subKey`, with everything below it, which sees
    //   the key made, changed or removed;
    // - Values: `subKey` itself, its values, when it exists; otherwise the nearest existing
    //   key above it, for the keys made beneath (then armed again, one level nearer).
    // The key stays open from one arming to the next while it is still the one to watch:
    // closing a watched key is itself reported.
    enum class Scope { Tree, Values };
    bool Arm(HKEY root, std::wstring_view subKey, Scope scope, REGSAM view = 0);

    // Whether a report came since the last call.
    bool TakeReport() { return reported_.exchange(false); }

private:
    static void CALLBACK Fired(void* self, BOOLEAN timedOut);

    UniqueRegKey key_;
    std::wstring keyPath_; // of key_
    UniqueKernelHandle event_;
    HANDLE wait_ = nullptr;
    std::atomic<bool> reported_{false};
    std::function<void()> changed_;
};

// A settings key read many times a second. Its values are kept, and read again only after the
// registry reports a change at or above the key in either hive (the key may be made, changed,
// removed or made anew at any time), so a read costs no call into the registry. The report
// comes on a pool thread; the key is read again by the next call, on the caller's thread.
class WatchedSettingsKey {
public:
    WatchedSettingsKey(const SettingsStore& store, std::wstring subKey);
    ~WatchedSettingsKey();
    WatchedSettingsKey(const WatchedSettingsKey&) = delete;
    WatchedSettingsKey& operator=(const WatchedSettingsKey&) = delete;

    // The leading number of the value, user first; 0 when missing.
    double Number(std::wstring_view name);

private:
    void StartWatching();

    SettingsStore store_;
    std::wstring subKey_;
    bool armed_ = false;
    bool watching_ = true; // false when the registry cannot report changes: every read reads
    std::map<std::wstring, double, std::less<>> values_;
    // Last, so they stop reporting before anything they report to goes.
    RegistryChangeWatch watches_[2]; // the user's hive, the machine's
};

} // namespace tessaly
