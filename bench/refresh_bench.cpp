// The process list refresh against one bare enumeration pass (for every process: open it,
// read its first module's file name and its memory counters), with N extra real processes
// running. Prints medians and ratios for a first refresh (nothing cached) and a repeated one.
#include "process/process_query.h"
#include "process/process_refresh.h"

#include <windows.h>
#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace tessaly;

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

template <class F> double MedianMs(int runs, F&& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = Now();
        work();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

size_t BarePass() {
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes);
    size_t read = 0;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
        if (!process)
            continue;
        HMODULE first = nullptr;
        DWORD needed = 0;
        wchar_t path[MAX_PATH];
        PROCESS_MEMORY_COUNTERS counters{};
        if (EnumProcessModules(process, &first, sizeof first, &needed) &&
            GetModuleFileNameExW(process, first, path, MAX_PATH) &&
            GetProcessMemoryInfo(process, &counters, sizeof counters))
            ++read;
        CloseHandle(process);
    }
    return read;
}

struct Children {
    std::vector<PROCESS_INFORMATION> started;
    ~Children() {
        for (auto& p : started) {
            TerminateProcess(p.hProcess, 0);
            WaitForSingleObject(p.hProcess, 5000);
            CloseHandle(p.hThread);
            CloseHandle(p.hProcess);
        }
    }
    void Start(const std::wstring& program, int count) {
        for (int i = 0; i < count; ++i) {
            STARTUPINFOW startup{sizeof startup};
            PROCESS_INFORMATION process{};
            std::wstring command = L"\"" + program + L"\"";
            if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process)) {
                WaitForInputIdle(process.hProcess, 2000);
                started.push_back(process);
            }
        }
    }
};

void Measure(int extra, const std::wstring& child, int runs) {
    Children children;
    children.Start(child, extra);
    Sleep(500);
    const size_t processes = ReadProcessTable().size();
    const double bare = MedianMs(runs, [] { BarePass(); });
    const double first = MedianMs(runs, [] {
        ProcessRowSource fresh;
        fresh.Refresh(ReadProcessTable());
    });
    ProcessRowSource warm;
    warm.Refresh(ReadProcessTable());
    const double repeated = MedianMs(runs, [&] { warm.Refresh(ReadProcessTable()); });
    std::printf("N=%-3d processes=%-4zu bare pass %7.2f ms | first refresh %7.2f ms (%.2fx) | "
                "repeated refresh %6.2f ms (%.2fx)\n",
                extra, processes, bare, first, first / bare, repeated, repeated / bare);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int runs = argc > 1 ? std::max(3, _wtoi(argv[1])) : 9;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self);
    folder = folder.substr(0, folder.rfind(L'\\'));
    const std::wstring child = folder + L"\\idle_child.exe";
    {
        // Every shell icon and file read once, so the first refresh is measured warm like the
        // bare pass that follows it.
        ProcessRowSource source;
        source.Refresh(ReadProcessTable());
        BarePass();
    }
    for (int n : {20, 80})
        Measure(n, child, runs);
    CoUninitialize();
    return 0;
}
