// Registry text values: the helpers every subsystem reads and writes settings through, and
// the per-user fallback for accounts that may not write the machine hive.
#pragma once

#include <windows.h>

#include "win32/handles.h"

#include <atomic>
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
    struct Watch {
        HKEY root = nullptr;
        UniqueRegKey key; // the nearest existing key above the settings key
        UniqueKernelHandle event;
        HANDLE wait = nullptr;
    };
    void StartWatching();
    bool Arm(Watch& watch);
    static void CALLBACK Changed(void* self, BOOLEAN timedOut);

    SettingsStore store_;
    std::wstring subKey_;
    Watch watches_[2];
    std::atomic<bool> changed_{true};
    bool watching_ = true; // false when the registry cannot report changes: every read reads
    std::map<std::wstring, double, std::less<>> values_;
};

} // namespace tessaly
