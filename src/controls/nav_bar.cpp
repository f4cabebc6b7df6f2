#include "controls/nav_bar.h"

#include <uxtheme.h>
#include <vsstyle.h>
#include <windowsx.h>

namespace tessaly {

namespace {

constexpr const wchar_t* kClassName = L"TessalyNavBar";

bool IsButton(const NavBar::Item& item) {
    return item.id != 0;
}

} // namespace

bool NavBar::Create(HWND parent, int id, Colours colours, HFONT font) {
    colours_ = colours;
    font_ = font;
    background_.reset(::CreateSolidBrush(colours.background));
    RegisterClassOnce(kClassName, nullptr, nullptr, CS_DBLCLKS);
    return Window::Create(kClassName, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0, 0,
                          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void NavBar::SetFont(HFONT font) {
    font_ = font;
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void NavBar::SetItems(std::vector<Item> items) {
    items_ = std::move(items);
    hot_ = pressed_ = -1;
    if (focus_ < 0 || focus_ >= static_cast<int>(items_.size()) || !IsButton(items_[focus_])) {
        focus_ = -1;
        MoveFocus(+1, true);
    }
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

RECT NavBar::ScreenBox(int id) const {
    for (const Item& item : items_)
        if (IsButton(item) && item.id == id) {
            RECT box = item.box;
            ::MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&box), 2);
            return box;
        }
    return {};
}

int NavBar::ButtonAt(POINT at) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (IsButton(items_[i]) && ::PtInRect(&items_[i].box, at))
            return static_cast<int>(i);
    return -1;
}

void NavBar::MoveFocus(int step, bool fromEnd) {
    const int count = static_cast<int>(items_.size());
    int index = fromEnd ? (step > 0 ? -1 : count) : focus_;
    for (index += step; index >= 0 && index < count; index += step)
        if (IsButton(items_[index])) {
            Redraw(focus_);
            focus_ = index;
            Redraw(focus_);
            return;
        }
}

void NavBar::Press(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size()) || !IsButton(items_[index]))
        return;
    // The handler may show a menu or a dialog; the bar is drawn as released first.
    ::UpdateWindow(hwnd());
    ::SendMessageW(::GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(items_[index].id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd()));
}

void NavBar::Redraw(int index) {
    if (index >= 0 && index < static_cast<int>(items_.size()))
        ::InvalidateRect(hwnd(), &items_[index].box, TRUE);
}

void NavBar::SetHot(int index) {
    if (index == hot_)
        return;
    Redraw(hot_);
    hot_ = index;
    Redraw(hot_);
    if (hot_ >= 0) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
        ::TrackMouseEvent(&track);
    }
}

void NavBar::Paint(HDC dc, const RECT& area) {
    ::FillRect(dc, &area, background_.get());
    HGDIOBJ oldFont = ::SelectObject(dc, font_);
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    if (!theme_ && ::IsAppThemed())
        theme_.reset(::OpenThemeData(hwnd(), L"BUTTON"));
    HTHEME theme = theme_.get();
    const bool focused = ::GetFocus() == hwnd();
    for (size_t i = 0; i < items_.size(); ++i) {
        const Item& item = items_[i];
        RECT box = item.box, unused{};
        if (!::IntersectRect(&unused, &box, &area))
            continue;
        const UINT textFormat = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER;
        if (!IsButton(item)) {
            ::SetTextColor(dc, colours_.heading);
            ::DrawTextW(dc, item.caption.c_str(), -1, &box, textFormat | DT_LEFT);
            continue;
        }
        const int index = static_cast<int>(i);
        const bool down = index == pressed_ && index == hot_;
        const bool hasFocus = focused && index == focus_;
        if (theme) {
            const int state = down ? PBS_PRESSED : index == hot_ ? PBS_HOT : PBS_NORMAL;
            ::DrawThemeBackground(theme, dc, BP_PUSHBUTTON, state, &item.box, nullptr);
            ::GetThemeBackgroundContentRect(theme, dc, BP_PUSHBUTTON, state, &item.box, &box);
            ::DrawThemeText(theme, dc, BP_PUSHBUTTON, state, item.caption.c_str(), -1,
                            textFormat | DT_CENTER, 0, &box);
        } else {
            ::DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0));
            ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
            if (down)
                ::OffsetRect(&box, 1, 1);
            ::DrawTextW(dc, item.caption.c_str(), -1, &box, textFormat | DT_CENTER);
            box = item.box;
        }
        if (hasFocus && keyboardCues_) {
            const int inset = ::GetSystemMetrics(SM_CXEDGE) + 1;
            RECT focusBox = item.box;
            ::InflateRect(&focusBox, -inset, -inset);
            ::DrawFocusRect(dc, &focusBox);
        }
    }
    ::SetBkMode(dc, mode);
    ::SelectObject(dc, oldFont);
}

LRESULT NavBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers everything
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        if (message == WM_PRINTCLIENT) {
            RECT client{};
            ::GetClientRect(hwnd(), &client);
            Paint(reinterpret_cast<HDC>(wParam), client);
            return 0;
        }
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(hwnd(), &paint);
        Paint(dc, paint.rcPaint);
        ::EndPaint(hwnd(), &paint);
        return 0;
    }
    case WM_MOUSEMOVE:
        SetHot(ButtonAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        return 0;
    case WM_MOUSELEAVE:
        SetHot(-1);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const int index = ButtonAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (index < 0)
            return 0;
        Redraw(focus_);
        focus_ = pressed_ = hot_ = index;
        ::SetFocus(hwnd());
        ::SetCapture(hwnd());
        Redraw(index);
        return 0;
    }
    case WM_LBUTTONUP: {
        const int index = pressed_;
        if (index < 0)
            return 0;
        pressed_ = -1;
        ::ReleaseCapture();
        Redraw(index);
        // A press counts where it was let go of on the same button.
        if (ButtonAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) == index)
            Press(index);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressed_ >= 0) {
            Redraw(pressed_);
            pressed_ = -1;
        }
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Redraw(focus_);
        return 0;
    case WM_GETDLGCODE: {
        // The arrows move within the column, Enter presses; Tab stays the dialog's.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return DLGC_WANTARROWS | DLGC_WANTMESSAGE;
        return DLGC_WANTARROWS;
    }
    case WM_UPDATEUISTATE:
        Default(message, wParam, lParam);
        keyboardCues_ = !(::SendMessageW(hwnd(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
        Redraw(focus_);
        return 0;
    case WM_KEYDOWN:
        keyboardCues_ = true;
        switch (wParam) {
        case VK_UP:
        case VK_LEFT:
            MoveFocus(-1);
            return 0;
        case VK_DOWN:
        case VK_RIGHT:
            MoveFocus(+1);
            return 0;
        case VK_HOME:
            MoveFocus(+1, true);
            return 0;
        case VK_END:
            MoveFocus(-1, true);
            return 0;
        case VK_RETURN:
            Press(focus_);
            return 0;
        case VK_SPACE:
            Redraw(focus_);
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE) {
            Press(focus_);
            return 0;
        }
        break;
    case WM_THEMECHANGED:
        theme_.reset();
        ::InvalidateRect(hwnd(), nullptr, TRUE);
        break;
    case WM_DESTROY:
        theme_.reset();
        break;
    }
    return Default(message, wParam, lParam);
}

} // namespace tessaly
