// The floor for the idle benchmark: a window with a 100 ms and a 1 s timer that do nothing.
// With "paint" on the command line the 1 s timer also changes one short text in the window,
// the least a window showing a figure each second does.
#include <windows.h>

#include <cwchar>

static bool paintEachSecond = false;
static int seconds = 0;

static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == 2 && paintEachSecond) {
            ++seconds;
            RECT text{10, 10, 200, 30};
            InvalidateRect(hwnd, &text, TRUE);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        wchar_t text[32];
        swprintf(text, 32, L"%d s", seconds);
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 10, 10, text, static_cast<int>(wcslen(text)));
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    paintEachSecond = wcsstr(commandLine, L"paint") != nullptr;
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
