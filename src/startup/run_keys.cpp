#include "startup/run_keys.h"

#include "common/long_path.h"
#include "common/text.h"
#include "process/process_query.h"
#include "settings/value_text.h"
#include "startup/command_resolver.h"
#include "win32/handles.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace tessaly {

namespace {

REGSAM ViewFlag(StartupHive hive, StartupView view) {
    if (hive == StartupHive::User)
        return 0;
    return view == StartupView::Native ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

std::wstring ExpandedText(const std::wstring& text) {
    std::wstring expanded(text.size() + 256, L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(),
                                                         static_cast<DWORD>(expanded.size()));
        if (needed == 0)
            return text;
        if (needed <= expanded.size()) {
            expanded.resize(needed - 1);
            return expanded;
        }
        expanded.resize(needed);
    }
    return text;
}

// The command line a value's data stands for: texts as they are (variables expanded where the
// type asks for it), a DWORD as "&h" and its digits, anything else empty.
std::wstring CommandText(DWORD type, const BYTE* data, DWORD size) {
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        std::wstring text(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t));
        if (const size_t nul = text.find(L'\0'); nul != std::wstring::npos)
            text.resize(nul);
        return type == REG_EXPAND_SZ ? ExpandedText(text) : text;
    }
    case REG_DWORD:
        if (size >= sizeof(DWORD)) {
            DWORD value = 0;
            memcpy(&value, data, sizeof value);
            return DwordValueText(value);
        }
        return {};
    default:
        return {};
    }
}

// Appends the key's named values; the status of opening it (ERROR_SUCCESS when it was read).
LONG ReadRunKey(HKEY root, const wchar_t* subKey, StartupEntry pattern,
                std::vector<StartupEntry>& entries) {
    UniqueRegKey key;
    const LONG status = ::RegOpenKeyExW(
        root, subKey, 0, KEY_QUERY_VALUE | ViewFlag(pattern.hive, pattern.view), key.put());
    if (status != ERROR_SUCCESS) {
        key.release();
        return status;
    }
    DWORD longestName = 0, longestData = 0;
    ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &longestName, &longestData, nullptr, nullptr);
    std::wstring name(std::max<DWORD>(longestName + 1, 256), L'\0');
    std::vector<BYTE> data(std::max<DWORD>(longestData + sizeof(wchar_t), 1024));
    for (DWORD index = 0;; ++index) {
        LONG result = ERROR_MORE_DATA;
        DWORD nameLength = 0, size = 0, type = 0;
        // A value may grow between the size query and the read; a few tries then move on.
        for (int attempt = 0; attempt < 4 && result == ERROR_MORE_DATA; ++attempt) {
            nameLength = static_cast<DWORD>(name.size());
            size = static_cast<DWORD>(data.size());
            result = ::RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type,
                                     data.data(), &size);
            if (result == ERROR_MORE_DATA) {
                name.resize(std::max<size_t>(name.size() * 2, 16384 + 1));
                data.resize(std::max<size_t>(data.size() * 2, size + sizeof(wchar_t)));
            }
        }
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            continue; // unreadable: the values after it are still listed
        StartupEntry& entry = entries.emplace_back(pattern);
        entry.valueName.assign(name.data(), nameLength);
        entry.commandLine = CommandText(type, data.data(), size);
        // Blank names (the key's default value among them) are no programs of their own.
        if (Trim(entry.valueName).empty())
            entries.pop_back();
    }
    return ERROR_SUCCESS;
}

// The lower-cased names of the files (not folders) in a folder.
std::unordered_set<std::wstring> FilesIn(const std::wstring& folder) {
    std::unordered_set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle find(::FindFirstFileExW(ExtendedPath(folder + L"\\*").c_str(),
                                                   FindExInfoBasic, &found, FindExSearchNameMatch,
                                                   nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(Lower(found.cFileName));
    } while (::FindNextFileW(find.get(), &found));
    return names;
}

StartupEntry Pattern(StartupHive hive, StartupView view, StartupKey key) {
    StartupEntry entry;
    entry.hive = hive;
    entry.view = view;
    entry.key = key;
    return entry;
}

} // namespace

std::vector<StartupEntry> ReadRunKeys(const RunKeyRoots& roots) {
    std::vector<StartupEntry> entries;
    // Of the hives read, only the machine's software key is split by view; a root of another
    // kind would give the same values twice.
    const bool twoViews = roots.machine == HKEY_LOCAL_MACHINE;
    for (StartupView view : {StartupView::Native, StartupView::Wow32}) {
        if (view == StartupView::Wow32 && !twoViews)
            break;
        if (ReadRunKey(roots.machine, kRunKey,
                       Pattern(StartupHive::Machine, view, StartupKey::Windows),
                       entries) != ERROR_SUCCESS)
            ReadRunKey(roots.machine, kNtRunKey,
                       Pattern(StartupHive::Machine, view, StartupKey::WindowsNt), entries);
    }
    if (ReadRunKey(roots.user, kRunKey,
                   Pattern(StartupHive::User, StartupView::Native, StartupKey::Windows),
                   entries) == ERROR_FILE_NOT_FOUND)
        ReadRunKey(roots.user, kNtRunKey,
                   Pattern(StartupHive::User, StartupView::Native, StartupKey::WindowsNt), entries);
    return entries;
}

std::vector<RunKeyPlace> RunKeyPlaces(const RunKeyRoots& roots) {
    std::vector<RunKeyPlace> places;
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
        for (const wchar_t* subKey : {kRunKey, kNtRunKey})
            places.push_back({roots.machine, subKey, view});
    for (const wchar_t* subKey : {kRunKey, kNtRunKey})
        places.push_back({roots.user, subKey, 0});
    return places;
}

LONG DeleteRunValue(const StartupEntry& entry, const RunKeyRoots& roots) {
    const HKEY root = entry.hive == StartupHive::Machine ? roots.machine : roots.user;
    LONG first = ERROR_SUCCESS;
    for (const wchar_t* subKey : {kNtRunKey, kRunKey}) {
        UniqueRegKey key;
        LONG status = ::RegOpenKeyExW(root, subKey, 0,
                                      KEY_SET_VALUE | ViewFlag(entry.hive, entry.view), key.put());
        if (status == ERROR_SUCCESS)
            status = ::RegDeleteValueW(key.get(), entry.valueName.c_str());
        else
            key.release();
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && first == ERROR_SUCCESS)
            first = status;
    }
    return first;
}

void StartupStatusPass(std::vector<StartupEntry>& entries) {
    const std::wstring systemRoot = SystemRootPath();
    std::unordered_set<std::wstring> running;
    ForEachSnapshotProcess(
        [&](const PROCESSENTRY32W& process) { running.insert(Lower(process.szExeFile)); });
    // Each folder is listed once per pass: under Wine, asking a big folder (system32) for a
    // file it lacks reads the whole folder every time.
    std::unordered_map<std::wstring, std::unordered_set<std::wstring>> folders;
    const auto fileExists = [&](const std::wstring& path) {
        const size_t slash = path.rfind(L'\\');
        if (slash == std::wstring::npos)
            return false;
        const std::wstring folder = Lower(path.substr(0, slash));
        auto listed = folders.find(folder);
        if (listed == folders.end())
            listed = folders.emplace(folder, FilesIn(path.substr(0, slash))).first;
        return listed->second.count(Lower(path.substr(slash + 1))) > 0;
    };
    for (StartupEntry& entry : entries) {
        ResolvedCommand resolved = ResolveCommand(entry.commandLine, systemRoot, fileExists);
        entry.path = std::move(resolved.path);
        entry.fileName = std::move(resolved.fileName);
        entry.running = !entry.fileName.empty() && running.count(Lower(entry.fileName)) > 0;
    }
}

} // namespace tessaly
