// Start-up time of varnok against the floor of a bare list-view window with the same number
// of rows, both launched the same way from here. Two figures per launch, from CreateProcess:
// - filled: the window is visible and its list holds its rows;
// - painted: besides, the program has drawn all that and waits for input (WaitForInputIdle),
//   so work put off to just after the rows still counts.
// Prints both medians and ratios. Given a second varnok build, times it in the same turns.
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

struct Launch {
    double filled = 0, painted = 0; // seconds; 0 on time-out
    int rows = 0;                   // as last seen
};

// Launches `commandLine` and times it until its window (of `className`) shows a list with at
// least `minRows` rows, and until it is painted and idle.
Launch TimeLaunch(std::wstring commandLine, const wchar_t* className, int minRows) {
    Launch launch;
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    const double start = Now();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Folder().c_str(), &startup, &process))
        return launch;
    HWND window = nullptr;
    while (Now() - start < 60) {
        window = FindVisible(className, process.dwProcessId);
        if (window) {
            launch.rows =
                static_cast<int>(SendMessageW(GetDlgItem(window, 1001), LVM_GETITEMCOUNT, 0, 0));
            if (launch.rows >= std::max(1, minRows)) {
                launch.filled = Now() - start;
                if (WaitForInputIdle(process.hProcess, 10000) == 0)
                    launch.painted = Now() - start;
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
    // Let the machine settle, so that this program's exit, and what it started on its way
    // (varnok starts pelmora, which finds itself running and ends), is not billed to the next.
    Sleep(500);
    return launch;
}

constexpr const wchar_t* kVarnokClass = L"TessalyMainWindow";
constexpr const wchar_t* kBaselineClass = L"BaselineList";

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The launches of one program, and how they compare with the baseline's.
struct Series {
    std::wstring command;
    const wchar_t* className;
    int minRows;
    std::vector<double> filled, painted;

    void Run() {
        const Launch launch = TimeLaunch(command, className, minRows);
        if (launch.filled > 0)
            filled.push_back(launch.filled);
        if (launch.painted > 0)
            painted.push_back(launch.painted);
    }
    void Print(const char* name, const Series* baseline) const {
        std::printf("%-9s filled: %6.1f ms, painted: %6.1f ms (%zu runs)", name,
                    Median(filled) * 1000, Median(painted) * 1000, filled.size());
        if (baseline)
            std::printf("   ratio filled %.2f, painted %.2f",
                        Median(filled) / Median(baseline->filled),
                        Median(painted) / Median(baseline->painted));
        std::printf("\n");
    }
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
    const std::wstring folder = Folder();
    // One unmeasured start of each, so all are measured with warm file caches; varnok's tells
    // how many rows the baseline is to hold.
    Series varnok{L"\"" + folder + L"\\varnok.exe\"", kVarnokClass, 1};
    const int rows = TimeLaunch(varnok.command, kVarnokClass, 1).rows;
    Series baseline{L"\"" + folder + L"\\baseline_list.exe\" " + std::to_wstring(rows),
                    kBaselineClass, rows};
    TimeLaunch(baseline.command, kBaselineClass, rows);
    // Another build of varnok to compare with, by its file name in this folder.
    std::vector<Series> series{varnok, baseline};
    if (argc > 2) {
        series.push_back({L"\"" + folder + L"\\" + argv[2] + L"\"", kVarnokClass, 1});
        TimeLaunch(series.back().command, kVarnokClass, 1);
    }
    // Taken in turns, so a change in the machine's load touches all alike.
    for (int i = 0; i < runs; ++i)
        for (Series& each : series)
            each.Run();
    std::printf("rows in the list: %d\n", rows);
    series[1].Print("baseline", nullptr);
    series[0].Print("varnok", &series[1]);
    if (series.size() > 2)
        series[2].Print("other", &series[1]);
    const bool complete = std::all_of(series.begin(), series.end(), [](const Series& each) {
        return !each.filled.empty() && !each.painted.empty();
    });
    return complete ? 0 : 1;
}
