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

struct Found {
    DWORD pid;
    HWND window;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == found->pid && IsWindowVisible(window) && GetDlgItem(window, 1001)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

// Launches `commandLine`, returns seconds until its window shows a list with at least
// `minRows` rows (0 on time-out), and the row count seen.
double TimeLaunch(std::wstring commandLine, int minRows, int& rows) {
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    const double start = Now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Folder().c_str(), &startup, &process))
        return 0;
    double elapsed = 0;
    Found found{process.dwProcessId, nullptr};
    while (Now() - start < 60) {
        found.window = nullptr;
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&found));
        if (found.window) {
            rows = static_cast<int>(SendMessageW(GetDlgItem(found.window, 1001), LVM_GETITEMCOUNT, 0, 0));
            if (rows >= std::max(1, minRows)) {
                elapsed = Now() - start;
                break;
            }
        }
        Sleep(2);
    }
    if (found.window)
        PostMessageW(found.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
    const std::wstring folder = Folder();
    std::vector<double> varnok, baseline;
    int rows = 0;
    // One unmeasured start of each, so both are measured with warm file caches.
    TimeLaunch(L"\"" + folder + L"\\varnok.exe\"", 1, rows);
    for (int i = 0; i < runs; ++i) {
        int seen = 0;
        const double t = TimeLaunch(L"\"" + folder + L"\\varnok.exe\"", 1, seen);
        if (t > 0)
            varnok.push_back(t);
        rows = std::max(rows, seen);
    }
    const std::wstring baselineCommand =
        L"\"" + folder + L"\\baseline_list.exe\" " + std::to_wstring(rows);
    int seen = 0;
    TimeLaunch(baselineCommand, rows, seen);
    for (int i = 0; i < runs; ++i) {
        const double t = TimeLaunch(baselineCommand, rows, seen);
        if (t > 0)
            baseline.push_back(t);
    }
    const double v = Median(varnok), b = Median(baseline);
    std::printf("rows in the list:        %d\n", rows);
    std::printf("varnok start-up median:  %.1f ms (%zu runs)\n", v * 1000, varnok.size());
    std::printf("baseline median:         %.1f ms (%zu runs)\n", b * 1000, baseline.size());
    std::printf("ratio varnok / baseline: %.2f\n", b > 0 ? v / b : 0.0);
    return varnok.empty() || baseline.empty() ? 1 : 0;
}
