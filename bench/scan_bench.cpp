// One full security check of the running programs against a lookup server, as the scan window
// runs it, timed: "files <n> requests <n> seconds <s> warnings <n> failure <text>".
//   scan_bench.exe <server base address>
#include "scan/identity.h"
#include "scan/scan_run.h"

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: scan_bench http://127.0.0.1:PORT/\n");
        return 2;
    }
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    tessaly::ScanRun run(nullptr, 0, argv[1],
                         tessaly::RunScanKey(tessaly::SecondsSinceMidnight()));
    run.Start();
    while (!run.Progress().finished)
        ::Sleep(20);
    ::QueryPerformanceCounter(&end);
    const tessaly::ScanOutcome outcome = run.Outcome();
    std::printf("files %zu requests %zu seconds %.3f warnings %zu failure %ls\n", outcome.files,
                outcome.requests, double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart),
                outcome.warnings.size(), outcome.failure.value_or(L"none").c_str());
    return outcome.failure ? 1 : 0;
}
