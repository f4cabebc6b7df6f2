#include "settings/registry.h"

#include "common/text.h"
#include "settings/value_text.h"
#include "win32/handles.h"

#include <vector>

namespace tessaly {

namespace {
UniqueRegKey OpenKey(HKEY root, std::wstring_view subKey, REGSAM access, LONG* status = nullptr) {
    UniqueRegKey key;
    const LONG result = ::RegOpenKeyExW(root, std::wstring(subKey).c_str(), 0, access, key.put());
    if (status)
        *status = result;
    if (result != ERROR_SUCCESS)
        key.release();
    return key;
}
} // namespace

namespace {
// Reads one value of an open key as text; see fReadValue.
bool ReadOpenKey(HKEY key, std::wstring_view valueName, std::wstring& value, LONG* statusOut) {
    const std::wstring name(valueName);
    std::vector<BYTE> data(1024);
    DWORD type = 0;
    LONG status = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < 8 && status == ERROR_MORE_DATA; ++attempt) {
        DWORD size = static_cast<DWORD>(data.size());
        status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA)
            data.resize(size + sizeof(wchar_t)); // the value may grow between two calls
        else
            data.resize(size);
    }
    if (statusOut)
        *statusOut = status;
    if (status != ERROR_SUCCESS) {
        value.clear();
        return false;
    }
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()),
                          data.size() / sizeof(wchar_t));
        const size_t nul = text.find(L'\0');
        if (nul != std::wstring::npos)
            text.resize(nul);
        value = std::move(text);
        break;
    }
    case REG_DWORD:
        if (data.size() >= sizeof(DWORD))
            value = DwordValueText(*reinterpret_cast<const DWORD*>(data.data()));
        break;
    default:
        break;
    }
    return true;
}
} // namespace

bool fReadValue(HKEY root, std::wstring_view subKey, std::wstring_view valueName,
                std::wstring& value) {
    // Query rights only: an account that may not write the machine hive can still read it.
    const UniqueRegKey key = OpenKey(root, subKey, KEY_QUERY_VALUE);
    if (!key) {
        value.clear();
        return false;
    }
    return ReadOpenKey(key.get(), valueName, value, nullptr);
}

LONG WriteValueStatus(HKEY root, std::wstring_view subKey, std::wstring_view valueName,
                      std::wstring_view value) {
    UniqueRegKey key;
    LONG status = ::RegCreateKeyExW(root, std::wstring(subKey).c_str(), 0, nullptr, 0,
                                    KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) {
        key.release();
        return status;
    }
    const std::wstring text(value);
    return ::RegSetValueExW(key.get(), std::wstring(valueName).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

HKEY fRootKey(std::wstring_view topKey) {
    const std::wstring top = Lower(topKey);
    if (top == L"hkcu")
        return HKEY_CURRENT_USER;
    if (top == L"hklm")
        return HKEY_LOCAL_MACHINE;
    if (top == L"hku")
        return HKEY_USERS;
    if (top == L"hkcr")
        return HKEY_CLASSES_ROOT;
    if (top.empty())
        return nullptr;
    const DWORD attributes = ::GetFileAttributesW(std::wstring(topKey).c_str());
    const bool isFile =
        attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    return isFile ? kIniFileRoot : nullptr;
}

LONG fDeleteValue(std::wstring_view topKeyOrFile, std::wstring_view subKeyOrSection,
                  std::wstring_view valueName) {
    const HKEY root = fRootKey(topKeyOrFile);
    if (!root)
        return 99;
    if (root == kIniFileRoot) {
        ::WritePrivateProfileStringW(std::wstring(subKeyOrSection).c_str(),
                                     std::wstring(valueName).c_str(), L"",
                                     std::wstring(topKeyOrFile).c_str());
        return 0;
    }
    return DeleteValueStatus(root, subKeyOrSection, valueName);
}

LONG DeleteValueStatus(HKEY root, std::wstring_view subKey, std::wstring_view valueName) {
    LONG status = ERROR_SUCCESS;
    const UniqueRegKey key = OpenKey(root, subKey, KEY_SET_VALUE, &status);
    if (key)
        status = ::RegDeleteValueW(key.get(), std::wstring(valueName).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? 0 : status;
}

std::optional<std::wstring> SettingsStore::Read(std::wstring_view subKey,
                                                std::wstring_view name) const {
    std::wstring value;
    if (fReadValue(user_, subKey, name, value) || fReadValue(machine_, subKey, name, value))
        return value;
    return std::nullopt;
}

double SettingsStore::Number(std::wstring_view subKey, std::wstring_view name) const {
    return LeadingNumber(Text(subKey, name));
}

SettingsStore::Stored SettingsStore::Write(std::wstring_view subKey, std::wstring_view name,
                                           std::wstring_view value) const {
    if (fWriteValue(machine_, subKey, name, value)) {
        // A per-user copy left by an earlier refused write would hide the new machine value.
        DeleteValueStatus(user_, subKey, name);
        return Stored::Machine;
    }
    return fWriteValue(user_, subKey, name, value) ? Stored::User : Stored::Failed;
}

HeldSettingsKey::HeldSettingsKey(const SettingsStore& store, std::wstring subKey)
    : machineRoot_(store.MachineRoot()), userRoot_(store.UserRoot()), subKey_(std::move(subKey)) {}

bool HeldSettingsKey::ReadFrom(UniqueRegKey& key, HKEY root, std::wstring_view name,
                               std::wstring& value) {
    if (!key)
        return false;
    LONG status = ERROR_SUCCESS;
    if (ReadOpenKey(key.get(), name, value, &status))
        return true;
    if (status != ERROR_KEY_DELETED)
        return false;
    // Someone removed the key, perhaps to write it anew: the key of that name now is the one
    // to read, at once, rather than nothing (or the other hive's value) until the next look.
    key = OpenKey(root, subKey_, KEY_QUERY_VALUE);
    return key && ReadOpenKey(key.get(), name, value, nullptr);
}

double HeldSettingsKey::Number(std::wstring_view name) {
    const unsigned long long now = ::GetTickCount64();
    if ((!machine_ || !user_) && now >= nextOpen_) {
        nextOpen_ = now + 1000;
        if (!user_)
            user_ = OpenKey(userRoot_, subKey_, KEY_QUERY_VALUE);
        if (!machine_)
            machine_ = OpenKey(machineRoot_, subKey_, KEY_QUERY_VALUE);
    }
    std::wstring value;
    if (ReadFrom(user_, userRoot_, name, value) || ReadFrom(machine_, machineRoot_, name, value))
        return LeadingNumber(value);
    return 0;
}

} // namespace tessaly
