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
enum class ReadResult { Missing, Text, OtherType };

// Reads one value of an open key as text; see fReadValue. A value of a type that has no text
// form leaves `value` as it came in and says so.
ReadResult ReadOpenKey(HKEY key, std::wstring_view valueName, std::wstring& value) {
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
    if (status != ERROR_SUCCESS) {
        value.clear();
        return ReadResult::Missing;
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
        return ReadResult::Text;
    }
    case REG_DWORD:
        if (data.size() >= sizeof(DWORD)) {
            value = DwordValueText(*reinterpret_cast<const DWORD*>(data.data()));
            return ReadResult::Text;
        }
        return ReadResult::OtherType;
    default:
        return ReadResult::OtherType;
    }
}

ReadResult ReadValue(HKEY root, std::wstring_view subKey, std::wstring_view valueName,
                     std::wstring& value) {
    // Query rights only: an account that may not write the machine hive can still read it.
    const UniqueRegKey key = OpenKey(root, subKey, KEY_QUERY_VALUE);
    if (!key) {
        value.clear();
        return ReadResult::Missing;
    }
    return ReadOpenKey(key.get(), valueName, value);
}
} // namespace

bool fReadValue(HKEY root, std::wstring_view subKey, std::wstring_view valueName,
                std::wstring& value) {
    return ReadValue(root, subKey, valueName, value) != ReadResult::Missing;
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
    // A value with no text form (binary, say) counts as absent, so a stray per-user value of
    // another type does not hide the machine's.
    for (const HKEY root : {user_, machine_}) {
        std::wstring value;
        if (ReadValue(root, subKey, name, value) == ReadResult::Text)
            return value;
    }
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

RegistryChangeWatch::~RegistryChangeWatch() {
    // Waits for a report still running, so none arrives at a destroyed object.
    if (wait_)
        ::UnregisterWaitEx(wait_, INVALID_HANDLE_VALUE);
}

bool RegistryChangeWatch::Start(std::function<void()> changed) {
    if (wait_)
        return true;
    changed_ = std::move(changed);
    event_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!event_ || !::RegisterWaitForSingleObject(&wait_, event_.get(), Fired, this, INFINITE,
                                                  WT_EXECUTEDEFAULT)) {
        wait_ = nullptr;
        return false;
    }
    return true;
}

void CALLBACK RegistryChangeWatch::Fired(void* self, BOOLEAN) {
    auto* watch = static_cast<RegistryChangeWatch*>(self);
    watch->reported_.store(true);
    if (watch->changed_)
        watch->changed_();
}

bool RegistryChangeWatch::Arm(HKEY root, std::wstring_view subKey, Scope scope, REGSAM view) {
    if (!wait_)
        return false;
    std::wstring path(subKey);
    bool above = scope == Scope::Tree;
    UniqueRegKey key;
    if (!above)
        key = OpenKey(root, path, KEY_NOTIFY | view);
    while (!key && !path.empty()) {
        const size_t slash = path.find_last_of(L'\\');
        path.resize(slash == std::wstring::npos ? 0 : slash);
        key = OpenKey(root, path, KEY_NOTIFY | view);
        above = true;
    }
    if (!key)
        return false;
    // The key open from the last arming is kept while it is the one to watch and still there
    // (a key removed and made anew is another key).
    const bool same =
        key_ && path == keyPath_ &&
        ::RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    if (!same) {
        key_ = std::move(key);
        keyPath_ = path;
    }
    // Above a missing key only the keys made beneath count; the tree scope sees everything.
    const bool tree = scope == Scope::Tree;
    const DWORD filter = above && !tree ? REG_NOTIFY_CHANGE_NAME
                                        : REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    return ::RegNotifyChangeKeyValue(key_.get(), tree, filter, event_.get(), TRUE) == ERROR_SUCCESS;
}

WatchedSettingsKey::WatchedSettingsKey(const SettingsStore& store, std::wstring subKey)
    : store_(store), subKey_(std::move(subKey)) {}

void WatchedSettingsKey::StartWatching() {
    // At the first read rather than at construction: the waits start a thread of the pool,
    // which a program starting up need not wait for.
    for (RegistryChangeWatch& watch : watches_)
        if (!watch.Start(nullptr))
            watching_ = false;
}

WatchedSettingsKey::~WatchedSettingsKey() = default;

double WatchedSettingsKey::Number(std::wstring_view name) {
    if (watching_ && !watches_[0].Started())
        StartWatching();
    // Armed again before the values are read again, so a change made while they are read is
    // reported too.
    const HKEY roots[] = {store_.UserRoot(), store_.MachineRoot()};
    bool changed = !armed_ || !watching_;
    for (size_t i = 0; i < std::size(watches_) && watching_; ++i) {
        if (!watches_[i].TakeReport() && armed_)
            continue;
        changed = true;
        if (!watches_[i].Arm(roots[i], subKey_, RegistryChangeWatch::Scope::Tree))
            watching_ = false;
    }
    armed_ = true;
    if (changed)
        values_.clear();
    auto known = values_.find(name);
    if (known == values_.end())
        known = values_.emplace(std::wstring(name), store_.Number(subKey_, name)).first;
    return known->second;
}

} // namespace tessaly
