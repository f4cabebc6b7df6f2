// Sends a command to a running program's window, as its menu item or button would: the
// benchmarks open windows this way, whatever the layout of the window's buttons.
// Usage: window_command "window title" command-id
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    HWND window = ::FindWindowW(nullptr, argv[1]);
    if (!window)
        return 1;
    return ::PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(_wtoi(argv[2])), 0) ? 0 : 1;
}
