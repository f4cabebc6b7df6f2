// The floor for the start-up benchmark: a minimal window with a report list view holding N
// rows of three columns, filled the plain way with redraw off, then shown.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>

static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const int rows = std::max(1, _wtoi(commandLine));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = L"BaselineList";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, L"BaselineList", L"Baseline", WS_OVERLAPPEDWINDOW, 100, 100,
                                  820, 560, nullptr, nullptr, instance, nullptr);
    HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT,
                                160, 56, 640, 450, window, reinterpret_cast<HMENU>(1001), instance,
                                nullptr);
    const wchar_t* headers[] = {L"Process Name", L"Memory usage Kb", L"ID"};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<wchar_t*>(headers[c]);
        column.cx = 150;
        ListView_InsertColumn(list, c, &column);
    }
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int r = 0; r < rows; ++r) {
        std::wstring name = L"process" + std::to_wstring(r) + L".exe";
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = r;
        item.pszText = name.data();
        const int index = ListView_InsertItem(list, &item);
        std::wstring kb = std::to_wstring(1000 + r), id = std::to_wstring(4 * r);
        ListView_SetItemText(list, index, 1, kb.data());
        ListView_SetItemText(list, index, 2, id.data());
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
