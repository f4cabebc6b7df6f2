// The floor for the idle benchmark: a window with a 100 ms and a 1 s timer that do nothing.
#include <windows.h>

static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER)
        return 0;
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = L"IdleBaseline";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, L"IdleBaseline", L"Idle baseline", WS_OVERLAPPEDWINDOW, 50,
                                  50, 400, 300, nullptr, nullptr, instance, nullptr);
    SetTimer(window, 1, 100, nullptr);
    SetTimer(window, 2, 1000, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
