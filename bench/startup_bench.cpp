// Start-up time of varnok against the floor of a bare list-view window with the same number
// of rows, both launched the same way from here: from CreateProcess to a visible window
// whose list holds its rows. Prints both medians and the ratio.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::wstring Folder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\'));
}

// The visible top-level window of class `className` that belongs to `pid`. Looked up by class
// rather than by walking every window: under Wine each window call is a request to the one
// wineserver, and a busy poll would slow the very start it measures.
HWND FindVisible(const wchar_t* className, DWORD pid) {
    for (HWND window = FindWindowExW(nullptr, nullptr, className, nullptr); window;
         window = FindWindowExW(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == pid && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

// Launches `commandLine`, returns seconds until its window (of `className`) shows a list with
// at least `minRows` rows (0 on time-out), and the row count seen.
double TimeLaunch(std::wstring commandLine, const wchar_t* className, int minRows, int& rows) {
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    const double start = Now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Folder().c_str(), &startup, &process))
        return 0;
    double elapsed = 0;
    HWND window = nullptr;
    while (Now() - start < 60) {
        window = FindVisible(className, process.dwProcessId);
        if (window) {
            rows = static_cast<int>(SendMessageW(GetDlgItem(window, 1001), LVM_GETITEMCOUNT, 0, 0));
            if (rows >= std::max(1, minRows)) {
                elapsed = Now() - start;
                break;
            }
        }
        Sleep(5);
    }
    if (window)
        PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

constexpr const wchar_t* kVarnokClass = L"TessalyMainWindow";
constexpr const wchar_t* kBaselineClass = L"BaselineList";

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
    const std::wstring folder = Folder();
    std::vector<double> varnok, baseline;
    // One unmeasured start of each, so both are measured with warm file caches; varnok's tells
    // how many rows the baseline is to hold.
    int rows = 0;
    TimeLaunch(L"\"" + folder + L"\\varnok.exe\"", kVarnokClass, 1, rows);
    const std::wstring baselineCommand =
        L"\"" + folder + L"\\baseline_list.exe\" " + std::to_wstring(rows);
    int seen = 0;
    TimeLaunch(baselineCommand, kBaselineClass, rows, seen);
    // Taken in turns, so a change in the machine's load touches both alike.
    for (int i = 0; i < runs; ++i) {
        if (const double t = TimeLaunch(L"\"" + folder + L"\\varnok.exe\"", kVarnokClass, 1, seen);
            t > 0)
            varnok.push_back(t);
        if (const double t = TimeLaunch(baselineCommand, kBaselineClass, rows, seen); t > 0)
            baseline.push_back(t);
    }
    const double v = Median(varnok), b = Median(baseline);
    std::printf("rows in the list:        %d\n", rows);
    std::printf("varnok start-up median:  %.1f ms (%zu runs)\n", v * 1000, varnok.size());
    std::printf("baseline median:         %.1f ms (%zu runs)\n", b * 1000, baseline.size());
    std::printf("ratio varnok / baseline: %.2f\n", b > 0 ? v / b : 0.0);
    return varnok.empty() || baseline.empty() ? 1 : 0;
}
