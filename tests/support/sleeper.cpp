// A stand-in program for tests that need real processes to look at: it signals that it is up,
// then waits until it is killed or its time runs out, so a failed test never leaves it behind.
//
//   sleeper.exe [ready-event-name] [seconds]
//
// The named event, when given, is set once the process runs its own code; by then the system
// knows its image name. Seconds default to 120 and are capped at 600.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    PWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    DWORD seconds = 120;
    if (argv && argc > 2) {
        const unsigned long asked = std::wcstoul(argv[2], nullptr, 10);
        if (asked > 0)
            seconds = asked < 600 ? static_cast<DWORD>(asked) : 600;
    }
    if (argv && argc > 1 && argv[1][0] != L'\0') {
        if (HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[1])) {
            ::SetEvent(ready);
            ::CloseHandle(ready);
        }
    }
    ::LocalFree(argv);
    ::Sleep(seconds * 1000);
    return 0;
}
