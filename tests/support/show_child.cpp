// A program that opens one window with the show command it was started with, so a test sees
// whether whoever started it asked for it to be visible. Ends itself after a minute.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"TessalyShowChild";
    ::RegisterClassW(&windowClass);
    const HWND window =
        ::CreateWindowExW(0, windowClass.lpszClassName, L"show child", WS_OVERLAPPEDWINDOW, 10, 10,
                          200, 100, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, show);
    ::SetTimer(nullptr, 0, 60000, nullptr);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER)
            break;
        ::DispatchMessageW(&message);
    }
    return 0;
}
