// The startup list's load work against a bare pass over the same Run keys. 500 values are
// written (half in the machine's Run key, half in the user's; quoted paths, bare names and
// command lines without ".exe"), then both are timed in turns:
// - the load work: what one press of "Startup Monitor" does, its two loads (reading the keys,
//   the status pass, the comparison with the remembered names), the fixed waits left out;
// - the bare pass: RegEnumValueW over the same keys reading each value, one process snapshot
//   with a lookup per value, one GetFileAttributesW per value.
// Prints both medians and their ratio.
#include "settings/registry.h"
#include "startup/run_keys.h"
#include "startup/startup_snapshot.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unordered_set>
#include <vector>

using namespace tessaly;

namespace {

constexpr int kValues = 500;

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::wstring Name(int i) {
    return L"Bench entry " + std::to_wstring(i);
}

std::wstring Command(int i) {
    switch (i % 3) {
    case 0:
        return L"\"C:\\Program Files\\Bench " + std::to_wstring(i) + L"\\bench" +
               std::to_wstring(i) + L".exe\" /min";
    case 1:
        return L"benchtool" + std::to_wstring(i) + L".exe -tray";
    default:
        return L"rundll32 shell32.dll,Control_RunDLL bench" + std::to_wstring(i) + L".cpl";
    }
}

void WriteValues(bool remove) {
    for (int i = 0; i < kValues; ++i) {
        const HKEY root = i % 2 ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        HKEY key = nullptr;
        if (::RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            continue;
        const std::wstring name = Name(i), data = Command(i);
        if (remove)
            ::RegDeleteValueW(key, name.c_str());
        else
            ::RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
    }
}

size_t BarePass() {
    // One snapshot, its names kept for the lookups.
    std::unordered_set<std::wstring> running;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{sizeof entry};
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry))
        running.insert(entry.szExeFile);
    ::CloseHandle(snapshot);
    size_t found = 0;
    for (const RunKeyPlace& place : RunKeyPlaces()) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(place.root, place.subKey, 0, KEY_QUERY_VALUE | place.view, &key) !=
            ERROR_SUCCESS)
            continue;
        for (DWORD index = 0;; ++index) {
            wchar_t name[16384];
            BYTE data[4096];
            DWORD nameLength = 16384, size = sizeof data, type = 0;
            const LONG status =
                ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status != ERROR_SUCCESS)
                continue;
            found += running.count(name);
            found += ::GetFileAttributesW(reinterpret_cast<const wchar_t*>(data)) !=
                     INVALID_FILE_ATTRIBUTES;
        }
        ::RegCloseKey(key);
    }
    return found;
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(3, _wtoi(argv[1])) : 9;
    WriteValues(false);
    // The remembered names live in a folder of their own; the monitor's settings in a
    // scratch key, so the prefix's own are not touched.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("tessaly-bench-" + std::to_string(::GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    HKEY scratch = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\TessalyBench", 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &scratch, nullptr);
    const SettingsStore settings(scratch, scratch);
    StartupSnapshot snapshot(settings, folder.wstring(), folder.wstring());
    const auto load = [&] {
        std::vector<StartupEntry> rows = ReadRunKeys();
        StartupStatusPass(rows);
        std::vector<std::wstring> names;
        for (const StartupEntry& row : rows)
            names.push_back(row.Name());
        return snapshot.Check(names).marks.size();
    };
    load(); // the first check writes the baseline; later ones compare
    BarePass();

    std::vector<double> loads, bares;
    size_t rows = 0;
    for (int run = 0; run < runs; ++run) {
        double start = Now();
        rows = load();
        load();
        loads.push_back(Now() - start);
        start = Now();
        BarePass();
        bares.push_back(Now() - start);
    }
    // Where one load's time goes.
    std::vector<double> reads, statuses, checks;
    for (int run = 0; run < runs; ++run) {
        double start = Now();
        std::vector<StartupEntry> entries = ReadRunKeys();
        reads.push_back(Now() - start);
        start = Now();
        StartupStatusPass(entries);
        statuses.push_back(Now() - start);
        std::vector<std::wstring> names;
        for (const StartupEntry& entry : entries)
            names.push_back(entry.Name());
        start = Now();
        snapshot.Check(names);
        checks.push_back(Now() - start);
    }
    std::printf("one load: reading %.2f ms, status pass %.2f ms, check %.2f ms (medians)\n",
                Median(reads), Median(statuses), Median(checks));
    const double work = Median(loads), bare = Median(bares);
    std::printf("rows %zu, runs %d\n", rows, runs);
    std::printf("startup list, both loads  %8.2f ms (median)\n", work);
    std::printf("bare pass                 %8.2f ms (median)\n", bare);
    std::printf("ratio                     %8.2fx (target 3x; %.2fx per load)\n", work / bare,
                work / bare / 2);

    WriteValues(true);
    ::RegCloseKey(scratch);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TessalyBench");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
