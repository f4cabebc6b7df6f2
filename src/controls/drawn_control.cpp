#include "controls/drawn_control.h"

#include "controls/paint_tools.h"

namespace tessaly {

bool DrawnControl::CreateChild(const wchar_t* className, HWND parent, int id,
                               const std::wstring& text, bool tabStop) {
    RegisterClassOnce(className, nullptr, nullptr, CS_DBLCLKS);
    containerFont_ = reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0));
    return Window::Create(className, text.c_str(),
                          WS_CHILD | WS_VISIBLE | (tabStop ? WS_TABSTOP : 0), 0, 0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))) != nullptr;
}

void DrawnControl::Announce(const wchar_t* key, bool redraw) {
    if (PropertyChanged)
        PropertyChanged(key);
    if (redraw && hwnd())
        ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void DrawnControl::Refresh() {
    if (hwnd()) {
        ::InvalidateRect(hwnd(), nullptr, FALSE);
        ::UpdateWindow(hwnd());
    }
}

LRESULT DrawnControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: // the paint covers every pixel
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(hwnd(), &paint);
        Paint(dc, true);
        ::EndPaint(hwnd(), &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam), false);
        return 0;
    case WM_SETFONT:
        containerFont_ = reinterpret_cast<HFONT>(wParam);
        RemakeFonts();
        if (LOWORD(lParam))
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        return 0;
    case kDpiChangedAfterParent:
        RemakeFonts();
        ::InvalidateRect(hwnd(), nullptr, FALSE);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_UPDATEUISTATE:
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
        ::InvalidateRect(hwnd(), nullptr, FALSE);
        break;
    case WM_GETOBJECT: {
        LRESULT result = 0;
        if (AnswerGetObject(*this, *this, wParam, lParam, result))
            return result;
        break;
    }
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

} // namespace tessaly
