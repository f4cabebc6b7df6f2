#include "controls/free_link.h"

#include "controls/paint_tools.h"
#include "win32/platform.h"

#include <commctrl.h>
#include <oleacc.h>
#include <shellapi.h>
#include <uxtheme.h>
#include <windowsx.h>

namespace tessaly {

namespace {

constexpr const wchar_t* kClassName = L"TessalyFreeLink";

// A caption as drawn with mnemonics on: "&&" shows "&", a single "&" shows nothing.
std::wstring WithoutMnemonics(const std::wstring& caption) {
    std::wstring shown;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size())
            ++i;
        else if (caption[i] == L'&')
            continue;
        shown += caption[i];
    }
    return shown;
}

} // namespace

PropertyBag WebLinkDesign(const std::wstring& caption, bool wordWrap) {
    // The selection colour rather than the hot-light one: Wine's hot-light colour is a pale
    // grey that all but vanishes on the button face, and SysLink draws in this one there.
    return {{L"Caption", caption},
            {L"ForeColor", static_cast<int32_t>(SystemColour(COLOR_HIGHLIGHT))},
            {L"Font", FontSpec{.underline = true}},
            {L"FontActive", FontSpec{.underline = true}},
            {L"UseMnemonic", false},
            {L"WordWrap", wordWrap}};
}

bool FreeLink::Create(HWND parent, int id, const PropertyBag& design, const std::wstring& name) {
    p_ = ReadLinkProperties(design);
    if (!design.Has(L"Caption"))
        p_.Caption = name;
    if (!CreateChild(kClassName, parent, id, p_.Caption, true))
        return false;
    MakeFonts();
    SetMouseIcon(p_.MouseIcon);
    ::EnableWindow(hwnd(), p_.Enabled);
    return true;
}

void FreeLink::SetEnabled(bool v) {
    p_.Enabled = v;
    if (!v)
        SetHot(false);
    if (hwnd())
        ::EnableWindow(hwnd(), v); // skipped by Tab, deaf to the mouse
    Announce(L"Enabled");
}

void FreeLink::SetFont(const FontSpec& v) {
    p_.Font = v;
    MakeFonts();
    if (p_.AutoSize)
        FitToText();
    Announce(L"Font");
}

void FreeLink::SetFontActive(const FontSpec& v) {
    p_.FontActive = v;
    MakeFonts();
    Announce(L"FontActive");
}

void FreeLink::SetAutoSize(bool v) {
    p_.AutoSize = v;
    if (v)
        FitToText();
    Announce(L"AutoSize");
}

void FreeLink::SetCaption(const std::wstring& v) {
    if (v == p_.Caption)
        return;
    p_.Caption = v;
    if (hwnd())
        ::SetWindowTextW(hwnd(), v.c_str());
    if (p_.AutoSize)
        FitToText();
    Announce(L"Caption");
}

void FreeLink::SetMouseIcon(const std::wstring& v) {
    p_.MouseIcon = v;
    mouseIcon_.reset(v.empty()
                         ? nullptr
                         : static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), v.c_str(),
                                                           IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
    Announce(L"MouseIcon");
}

void FreeLink::SetToolTipText(const std::wstring& text) {
    toolTipText_ = text;
    if (!hwnd())
        return;
    if (!tooltip_ && !text.empty())
        tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                     WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_)
        return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd());
    tool.lpszText = toolTipText_.data();
    ::SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!text.empty())
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void FreeLink::OpenURL() {
    const auto request = OpenUrlRequest(p_, ProgramFolder());
    if (!request)
        return;
    if (Shell) {
        Shell(hwnd(), *request);
        return;
    }
    // A target the shell cannot open is reported by the shell itself.
    ::ShellExecuteW(hwnd(), request->verb.c_str(), request->file.c_str(),
                    request->parameters.c_str(), request->directory.c_str(), request->show);
}

void FreeLink::RemakeFonts() {
    MakeFonts();
    if (p_.AutoSize)
        FitToText();
}

void FreeLink::MakeFonts() {
    if (!hwnd())
        return;
    const UINT dpi = WindowDpi(hwnd());
    font_ = MakeFont(containerFont_, p_.Font, dpi);
    fontActive_ = MakeFont(containerFont_, p_.FontActive, dpi);
}

UINT FreeLink::TextFormat() const {
    UINT format = p_.Alignment == 1 ? DT_RIGHT : p_.Alignment == 2 ? DT_CENTER : DT_LEFT;
    format |= p_.WordWrap ? DT_WORDBREAK : DT_SINGLELINE | DT_END_ELLIPSIS;
    if (!p_.UseMnemonic)
        format |= DT_NOPREFIX;
    return format;
}

bool FreeLink::PlainLine() const {
    return !p_.WordWrap && (!p_.UseMnemonic || p_.Caption.find(L'&') == std::wstring::npos);
}

HFONT FreeLink::ShownFont() const {
    return hot_ && fontActive_ ? fontActive_.get() : font_.get();
}

RECT FreeLink::TextArea(RECT area) const {
    if (p_.BorderStyle)
        ::InflateRect(&area, -::GetSystemMetrics(SM_CXEDGE), -::GetSystemMetrics(SM_CYEDGE));
    return area;
}

SIZE FreeLink::TextSize(HDC dc, LONG wrapWidth) const {
    const int length = static_cast<int>(p_.Caption.size());
    SIZE size{};
    if (PlainLine()) { // one extent, no layout
        ::GetTextExtentPoint32W(dc, p_.Caption.c_str(), length, &size);
        return size;
    }
    RECT text{0, 0, wrapWidth, 0};
    ::DrawTextW(dc, p_.Caption.c_str(), length, &text,
                (TextFormat() & ~DT_END_ELLIPSIS) | DT_CALCRECT);
    return {text.right, text.bottom};
}

RECT FreeLink::PlaceText(const RECT& area, SIZE size) const {
    // Placed as drawn: aligned within the area, no wider and no taller than it.
    const LONG width = std::min(size.cx, area.right - area.left);
    const LONG left = p_.Alignment == 1   ? area.right - width
                      : p_.Alignment == 2 ? area.left + (area.right - area.left - width) / 2
                                          : area.left;
    return {left, area.top, left + width, std::min(area.top + size.cy, area.bottom)};
}

RECT FreeLink::LinkBox() const {
    if (p_.Caption.empty())
        return {};
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const RECT area = TextArea(client);
    HDC dc = ::GetDC(hwnd());
    HGDIOBJ old = ::SelectObject(dc, ShownFont());
    const RECT box = PlaceText(area, TextSize(dc, area.right - area.left));
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd(), dc);
    return box;
}

void FreeLink::FitToText() {
    if (!hwnd() || p_.Caption.empty())
        return;
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    HDC dc = ::GetDC(hwnd());
    HGDIOBJ old = ::SelectObject(dc, ShownFont());
    const SIZE size = TextSize(dc, p_.WordWrap ? client.right : 0);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd(), dc);
    const int border = p_.BorderStyle ? 2 * ::GetSystemMetrics(SM_CXEDGE) : 0;
    ::SetWindowPos(hwnd(), nullptr, 0, 0, size.cx + border, size.cy + border,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FreeLink::Paint(HDC dc, bool) {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const RECT area = TextArea(client);
    const COLORREF back = ToColorRef(p_.BackColor);
    const COLORREF colour = HighContrastOn()
                                ? ::GetSysColor(p_.Enabled ? COLOR_HOTLIGHT : COLOR_GRAYTEXT)
                            : !p_.Enabled ? ::GetSysColor(COLOR_GRAYTEXT)
                            : hot_        ? ToColorRef(p_.ForeColorActive)
                                          : ToColorRef(p_.ForeColor);
    HGDIOBJ oldFont = ::SelectObject(dc, ShownFont());
    const COLORREF oldText = ::SetTextColor(dc, colour);
    const COLORREF oldBack = ::SetBkColor(dc, back);
    // The focus is drawn only once the keyboard was used.
    const bool focusCue = focused_ && !p_.Caption.empty() && FocusCuesShown(hwnd());
    const bool plain = PlainLine();
    const int length = static_cast<int>(p_.Caption.size());
    const SIZE size = plain || focusCue ? TextSize(dc, area.right - area.left) : SIZE{};
    if (plain && size.cx <= area.right - area.left) {
        // A line that fits goes down with its background in one call: no layout, no ellipsis.
        ::ExtTextOutW(dc, PlaceText(area, size).left, area.top, ETO_OPAQUE | ETO_CLIPPED, &client,
                      p_.Caption.c_str(), static_cast<UINT>(length), nullptr);
    } else {
        FillBox(dc, client, back);
        const int mode = ::SetBkMode(dc, TRANSPARENT);
        RECT text = area;
        ::DrawTextW(dc, p_.Caption.c_str(), length, &text,
                    TextFormat() | (FocusCuesShown(hwnd()) ? 0 : DT_HIDEPREFIX));
        ::SetBkMode(dc, mode);
    }
    if (p_.BorderStyle) {
        if (p_.Appearance)
            ::DrawEdge(dc, &client, EDGE_SUNKEN, BF_RECT);
        else
            ::FrameRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOWFRAME));
    }
    if (focusCue) {
        const RECT box = PlaceText(area, size);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, RGB(255, 255, 255));
        ::DrawFocusRect(dc, &box);
    }
    ::SetBkColor(dc, oldBack);
    ::SetTextColor(dc, oldText);
    ::SelectObject(dc, oldFont);
}

void FreeLink::SetHot(bool hot) {
    if (hot == hot_)
        return;
    hot_ = hot;
    if (hot) {
        // Told when the pointer leaves the window; moves within it end the hover off the text.
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
        ::TrackMouseEvent(&track);
    }
    if (p_.AutoSize)
        FitToText();
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

bool FreeLink::Alive(HWND window) const {
    return StillOwnedBy(window, this);
}

void FreeLink::Activate() {
    HWND window = hwnd();
    if (Click)
        Click();
    if (Alive(window))
        OpenURL();
}

void FreeLink::RaiseMouse(const std::function<void(short&, short&, float&, float&)>& event,
                          short button, POINT at) {
    if (!event)
        return;
    short shift = ShiftKeys();
    float x = static_cast<float>(at.x), y = static_cast<float>(at.y);
    event(button, shift, x, y);
}

std::wstring FreeLink::AccName(long) const {
    return p_.UseMnemonic ? WithoutMnemonics(p_.Caption) : p_.Caption;
}

long FreeLink::AccRole(long) const {
    return ROLE_SYSTEM_LINK;
}

long FreeLink::AccState(long) const {
    return STATE_SYSTEM_LINKED | (hot_ ? STATE_SYSTEM_HOTTRACKED : 0);
}

std::wstring FreeLink::AccDefaultAction(long) const {
    return p_.Enabled ? L"Jump" : L"";
}

bool FreeLink::AccDoDefaultAction(long) {
    if (!p_.Enabled)
        return false;
    Activate();
    return true;
}

LRESULT FreeLink::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_MOUSEMOVE: {
        const RECT box = LinkBox();
        SetHot(::PtInRect(&box, at) != FALSE);
        RaiseMouse(MouseMove, static_cast<short>(wParam & MK_LBUTTON ? 1 : 0), at);
        return 0;
    }
    case WM_MOUSELEAVE:
        SetHot(false);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            // The hand over the text, as over any link; the design's pointer when it has one.
            HCURSOR cursor = p_.MousePointer == 0
                                 ? ::LoadCursorW(nullptr, hot_ ? IDC_HAND : IDC_ARROW)
                                 : PointerCursor(p_.MousePointer, mouseIcon_.get());
            ::SetCursor(cursor);
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        const short button = message == WM_LBUTTONDOWN ? 1 : 2;
        const RECT box = LinkBox();
        if (button == 1 && ::PtInRect(&box, at)) {
            ::SetFocus(hwnd());
            ::SetCapture(hwnd());
            pressed_ = true;
        }
        RaiseMouse(MouseDown, button, at);
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        if (DblClick)
            DblClick();
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
        const short button = message == WM_LBUTTONUP ? 1 : 2;
        const bool wasPressed = pressed_ && button == 1;
        if (wasPressed) {
            pressed_ = false;
            ::ReleaseCapture();
        }
        HWND window = hwnd();
        RaiseMouse(MouseUp, button, at);
        const RECT box = Alive(window) ? LinkBox() : RECT{};
        if (wasPressed && Alive(window) && ::PtInRect(&box, at))
            Activate();
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            Activate();
            return 0;
        }
        break;
    case WM_GETDLGCODE: {
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return DLGC_WANTMESSAGE;
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        focused_ = message == WM_SETFOCUS;
        break;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_.get());
    case WM_DESTROY:
        if (tooltip_)
            ::DestroyWindow(tooltip_);
        tooltip_ = nullptr;
        break;
    default:
        break;
    }
    return DrawnControl::OnMessage(message, wParam, lParam);
}

} // namespace tessaly
