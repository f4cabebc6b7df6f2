#include "shell/wait_window.h"

#include "shell/resource.h"
#include "win32/platform.h"

#include <commctrl.h>

namespace tessaly {

namespace {
constexpr const wchar_t* kClassName = L"TessalyPleaseWait";
}

void WaitWindow::Show(HWND owner, const wchar_t* text) {
    if (hwnd()) {
        ::SetDlgItemTextW(hwnd(), IDC_WAIT_TEXT, text);
        return;
    }
    RegisterClassOnce(kClassName, nullptr, ::GetSysColorBrush(COLOR_BTNFACE));
    const int width = Scale(owner, 340), height = Scale(owner, 110);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    Create(kClassName, L"Please wait", WS_POPUP | WS_CAPTION | WS_BORDER,
           WS_EX_TOOLWINDOW | WS_EX_TOPMOST, work.left + (work.right - work.left - width) / 2,
           work.top + (work.bottom - work.top - height) / 2, width, height, owner);
    if (!hwnd())
        return;
    NONCLIENTMETRICSW metrics{sizeof metrics};
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font_.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const int margin = Scale(hwnd(), 14);
    HWND label = ::CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT, margin,
                                   margin, client.right - 2 * margin, Scale(hwnd(), 18), hwnd(),
                                   reinterpret_cast<HMENU>(IDC_WAIT_TEXT), nullptr, nullptr);
    ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    HWND bar =
        ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_MARQUEE, margin,
                          margin + Scale(hwnd(), 26), client.right - 2 * margin, Scale(hwnd(), 16),
                          hwnd(), reinterpret_cast<HMENU>(IDC_WAIT_PROGRESS), nullptr, nullptr);
    ::SendMessageW(bar, PBM_SETMARQUEE, TRUE, 30);
    ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(hwnd());
}

void WaitWindow::Close() {
    if (hwnd())
        ::DestroyWindow(hwnd());
}

} // namespace tessaly
