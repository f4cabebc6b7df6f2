#include "controls/nav_bar.h"

#include "controls/chameleon_button.h"
#include "controls/paint_tools.h"
#include "win32/platform.h"

#include <oleacc.h>
#include <windowsx.h>

#include <algorithm>

namespace tessaly {

namespace {

constexpr const wchar_t* kClassName = L"TessalyNavBar";

bool IsButton(const NavBar::Item& item) {
    return item.id != 0;
}

bool HasClick(const std::vector<ButtonEvent>& events) {
    return std::find(events.begin(), events.end(), ButtonEvent::Click) != events.end();
}

} // namespace

bool NavBar::Create(HWND parent, int id, Colours colours, HFONT font) {
    colours_ = colours;
    font_ = font;
    background_.reset(::CreateSolidBrush(colours.background));
    RegisterClassOnce(kClassName, nullptr, nullptr, CS_DBLCLKS);
    // The title is what accessibility clients read for the column as a whole.
    return Window::Create(kClassName, L"Navigation", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0,
                          0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void NavBar::SetFont(HFONT font) {
    font_ = font;
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void NavBar::SetItems(std::vector<Item> items) {
    std::vector<ButtonState> buttons(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        if (!IsButton(items[i]))
            continue;
        ButtonState& b = buttons[i];
        b.properties = ReadButtonProperties(items[i].design);
        if (!items[i].design.Has(L"TX"))
            b.properties.Caption = items[i].caption;
        items[i].caption = b.properties.Caption;
        // A button that stays keeps what the user was doing with it (a re-layout mid-hover).
        for (size_t j = 0; j < items_.size(); ++j)
            if (items_[j].id == items[i].id && j < buttons_.size()) {
                b.input = buttons_[j].input;
                b.properties.Enabled = buttons_[j].properties.Enabled;
                b.properties.Value = buttons_[j].properties.Value;
            }
        b.colours = ComputeScheme(b.properties, {}, SystemColours());
    }
    const int focusId =
        focus_ >= 0 && focus_ < static_cast<int>(items_.size()) ? items_[focus_].id : 0;
    items_ = std::move(items);
    buttons_ = std::move(buttons);
    hot_ = pressed_ = focus_ = -1;
    for (size_t i = 0; i < items_.size(); ++i)
        if (focusId && items_[i].id == focusId && Usable(static_cast<int>(i)))
            focus_ = static_cast<int>(i);
    if (focus_ < 0)
        MoveFocus(+1, true);
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

const ButtonProperties* NavBar::Button(int id) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (IsButton(items_[i]) && items_[i].id == id)
            return &buttons_[i].properties;
    return nullptr;
}

ButtonLook NavBar::LookOf(int id) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (IsButton(items_[i]) && items_[i].id == id) {
            const ButtonState& b = buttons_[i];
            return b.input.Look(b.properties.Enabled, b.properties.CheckBoxBehaviour,
                                b.properties.Value);
        }
    return ButtonLook::Normal;
}

void NavBar::EnableButton(int id, bool enabled) {
    for (size_t i = 0; i < items_.size(); ++i)
        if (IsButton(items_[i]) && items_[i].id == id) {
            buttons_[i].properties.Enabled = enabled;
            buttons_[i].input.Cancel();
            Redraw(static_cast<int>(i));
            if (!enabled && focus_ == static_cast<int>(i) && !MoveFocus(+1) && !MoveFocus(-1))
                focus_ = -1;
        }
}

bool NavBar::Usable(int index) const {
    return index >= 0 && index < static_cast<int>(items_.size()) && IsButton(items_[index]) &&
           buttons_[index].properties.Enabled;
}

int NavBar::ButtonAt(POINT at) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (IsButton(items_[i]) && ::PtInRect(&items_[i].box, at))
            return static_cast<int>(i);
    return -1;
}

bool NavBar::MoveFocus(int step, bool fromEnd) {
    const int count = static_cast<int>(items_.size());
    int index = fromEnd ? (step > 0 ? -1 : count) : focus_;
    for (index += step; index >= 0 && index < count; index += step)
        if (Usable(index)) {
            FocusItem(index);
            return true;
        }
    return false;
}

void NavBar::FocusItem(int index) {
    Redraw(focus_);
    focus_ = index;
    Redraw(focus_);
    if (::GetFocus() == hwnd())
        ::NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd(), OBJID_CLIENT, focus_ + 1);
}

void NavBar::Press(int index) {
    if (!Usable(index))
        return;
    // The handler may show a menu or a dialog; the bar is drawn as released first.
    ::UpdateWindow(hwnd());
    ::SendMessageW(::GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(items_[index].id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd()));
}

void NavBar::Clicked(int index, const std::vector<ButtonEvent>& events) {
    Redraw(index);
    if (HasClick(events))
        Press(index);
}

void NavBar::Redraw(int index) {
    if (index >= 0 && index < static_cast<int>(items_.size()))
        ::InvalidateRect(hwnd(), &items_[index].box, TRUE);
}

void NavBar::SetHot(int index, int held) {
    if (index == hot_) {
        if (hot_ >= 0 && pressed_ == hot_)
            buttons_[hot_].input.MouseMove(held, true, Usable(hot_));
        return;
    }
    if (hot_ >= 0) {
        ButtonInput& input = buttons_[hot_].input;
        input.MouseMove(held, false, Usable(hot_));
        input.MouseLeft();
        Redraw(hot_);
    }
    hot_ = index;
    if (hot_ >= 0) {
        buttons_[hot_].input.MouseMove(held, true, Usable(hot_));
        Redraw(hot_);
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
        ::TrackMouseEvent(&track);
    }
}

void NavBar::Paint(HDC dc, const RECT& area) {
    ::FillRect(dc, &area, background_.get());
    HGDIOBJ oldFont = ::SelectObject(dc, font_);
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    const int focused = FocusedItem();
    const bool contrast = HighContrastOn();
    ButtonPaintState state;
    state.font = font_;
    state.dpi = WindowDpi(hwnd());
    for (size_t i = 0; i < items_.size(); ++i) {
        const Item& item = items_[i];
        RECT box = item.box, unused{};
        if (!::IntersectRect(&unused, &box, &area))
            continue;
        if (!IsButton(item)) {
            ::SetTextColor(dc, contrast ? ::GetSysColor(COLOR_WINDOWTEXT) : colours_.heading);
            ::DrawTextW(dc, item.caption.c_str(), -1, &box,
                        DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_LEFT | DT_END_ELLIPSIS);
            continue;
        }
        ButtonState& b = buttons_[i];
        // Scheme 1 follows the system's colours, so they are read at each paint.
        b.colours = contrast ? SystemScheme(SystemColours())
                             : ComputeScheme(b.properties, b.colours, SystemColours());
        state.look =
            b.input.Look(b.properties.Enabled, b.properties.CheckBoxBehaviour, b.properties.Value);
        state.focusCue = static_cast<int>(i) == focused && keyboardCues_;
        PaintChameleonButton(dc, item.box, b.properties, b.colours, state);
    }
    ::SetBkMode(dc, mode);
    ::SelectObject(dc, oldFont);
}

void NavBar::KeyDown(WPARAM key) {
    keyboardCues_ = true;
    if (key == VK_HOME || key == VK_END) {
        MoveFocus(key == VK_HOME ? +1 : -1, true);
        return;
    }
    if (!Usable(focus_))
        return;
    ButtonState& b = buttons_[focus_];
    FocusMove move = FocusMove::None;
    const auto events = b.input.KeyDown(static_cast<int>(key), true, b.properties.CheckBoxBehaviour,
                                        b.properties.Value, move);
    Clicked(focus_, events);
    if (move == FocusMove::None)
        return;
    // Past either end the focus goes on to the control before or after the column; it is
    // moved there, not sent a Tab, so a held Shift cannot turn the direction round.
    const bool back = move == FocusMove::Previous;
    if (!MoveFocus(back ? -1 : +1))
        if (HWND next = ::GetNextDlgTabItem(::GetParent(hwnd()), hwnd(), back);
            next && next != hwnd())
            ::SetFocus(next);
}

std::wstring NavBar::AccName(long child) const {
    return child == CHILDID_SELF ? std::wstring() : items_[child - 1].caption;
}

long NavBar::AccRole(long child) const {
    if (child == CHILDID_SELF)
        return ROLE_SYSTEM_TOOLBAR;
    const int i = static_cast<int>(child - 1);
    if (!IsButton(items_[i]))
        return ROLE_SYSTEM_STATICTEXT;
    return buttons_[i].properties.CheckBoxBehaviour ? ROLE_SYSTEM_CHECKBUTTON
                                                    : ROLE_SYSTEM_PUSHBUTTON;
}

long NavBar::AccState(long child) const {
    if (child == CHILDID_SELF)
        return 0;
    const int i = static_cast<int>(child - 1);
    if (!IsButton(items_[i]))
        return STATE_SYSTEM_READONLY;
    const ButtonState& b = buttons_[i];
    if (!b.properties.Enabled)
        return STATE_SYSTEM_UNAVAILABLE;
    long flags = STATE_SYSTEM_FOCUSABLE;
    if (i == FocusedItem())
        flags |= STATE_SYSTEM_FOCUSED;
    if (b.input.Hover())
        flags |= STATE_SYSTEM_HOTTRACKED;
    if (b.input.Pressed())
        flags |= STATE_SYSTEM_PRESSED;
    if (b.properties.CheckBoxBehaviour && b.properties.Value)
        flags |= STATE_SYSTEM_CHECKED;
    return flags;
}

std::wstring NavBar::AccDefaultAction(long child) const {
    const int i = static_cast<int>(child - 1);
    if (child == CHILDID_SELF || !Usable(i))
        return {};
    const ButtonProperties& p = buttons_[i].properties;
    return p.CheckBoxBehaviour ? (p.Value ? L"Uncheck" : L"Check") : L"Press";
}

bool NavBar::AccDoDefaultAction(long child) {
    const int i = static_cast<int>(child - 1);
    if (!Usable(i))
        return false;
    ButtonProperties& p = buttons_[i].properties;
    if (p.CheckBoxBehaviour)
        p.Value = !p.Value;
    Redraw(i);
    Press(i);
    return true;
}

bool NavBar::AccTakeFocus(long child) {
    const int i = static_cast<int>(child - 1);
    if (!Usable(i))
        return false;
    ::SetFocus(hwnd());
    FocusItem(i);
    return true;
}

LRESULT NavBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
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
    case WM_MOUSEMOVE: {
        const int held = HeldMouseButtons(wParam);
        if (pressed_ >= 0) {
            // While held, only the pressed button follows the pointer in and out.
            const bool inside = ButtonAt(at) == pressed_;
            buttons_[pressed_].input.MouseMove(held, inside, Usable(pressed_));
            Redraw(pressed_);
            return 0;
        }
        const int index = ButtonAt(at);
        SetHot(Usable(index) ? index : -1, held);
        return 0;
    }
    case WM_MOUSELEAVE:
        if (pressed_ < 0)
            SetHot(-1, 0);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            POINT pointer{};
            ::GetCursorPos(&pointer);
            ::ScreenToClient(hwnd(), &pointer);
            const int index = ButtonAt(pointer);
            ::SetCursor(Usable(index) ? ButtonCursor(buttons_[index].properties, nullptr)
                                      : ::LoadCursorW(nullptr, IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const int index = ButtonAt(at);
        if (!Usable(index))
            return 0;
        ButtonInput& input = buttons_[index].input;
        // A double-click is a second press, so a quick second click presses again.
        if (message == WM_LBUTTONDBLCLK)
            input.DoubleClick(true);
        else
            input.MouseDown(1, true);
        Redraw(focus_);
        focus_ = pressed_ = index;
        hot_ = index;
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
        ButtonState& b = buttons_[index];
        const bool inside = ButtonAt(at) == index;
        const auto events = b.input.MouseUp(1, inside, Usable(index),
                                            b.properties.CheckBoxBehaviour, b.properties.Value);
        ::ReleaseCapture();
        if (!inside)
            hot_ = -1;
        Clicked(index, events);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressed_ >= 0) {
            buttons_[pressed_].input.Cancel();
            Redraw(pressed_);
            pressed_ = -1;
        }
        return 0;
    case WM_SETFOCUS:
        if (!Usable(focus_))
            MoveFocus(+1, true);
        Redraw(focus_);
        if (focus_ >= 0)
            ::NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd(), OBJID_CLIENT, focus_ + 1);
        return 0;
    case WM_KILLFOCUS:
        if (Usable(focus_))
            buttons_[focus_].input.Cancel();
        Redraw(focus_);
        return 0;
    case WM_GETOBJECT: {
        LRESULT result = 0;
        if (AnswerGetObject(*this, *this, wParam, lParam, result))
            return result;
        break;
    }
    case WM_GETDLGCODE: {
        // The arrows move within the column, Enter presses; Tab stays the dialog's.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return DLGC_WANTARROWS | DLGC_WANTMESSAGE;
        return DLGC_WANTARROWS;
    }
    case WM_UPDATEUISTATE:
        Default(message, wParam, lParam);
        keyboardCues_ = FocusCuesShown(hwnd());
        Redraw(focus_);
        return 0;
    case WM_KEYDOWN:
        KeyDown(wParam);
        return 0;
    case WM_KEYUP:
        if (Usable(focus_)) {
            ButtonState& b = buttons_[focus_];
            Clicked(focus_, b.input.KeyUp(static_cast<int>(wParam), true,
                                          b.properties.CheckBoxBehaviour, b.properties.Value));
            return 0;
        }
        break;
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
        ::InvalidateRect(hwnd(), nullptr, TRUE);
        break;
    }
    return Default(message, wParam, lParam);
}

} // namespace tessaly
