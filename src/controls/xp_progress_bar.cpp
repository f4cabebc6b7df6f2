#include "controls/xp_progress_bar.h"

#include "controls/paint_tools.h"
#include "win32/platform.h"

#include <oleacc.h>

#include <algorithm>

namespace tessaly {

namespace {

constexpr const wchar_t* kClassName = L"TessalyXpProgressBar";

// One refusal box at a time for the whole program: a caller that keeps setting a bad value
// (a timer, say) must not pile boxes on the user.
bool refusalShown = false;

} // namespace

bool XpProgressBar::Create(HWND parent, int id, const PropertyBag& design, bool vertical) {
    p_ = ReadProgressProperties(design);
    skin_ = *SkinFor(p_.ProgressLook);
    vertical_ = vertical;
    return CreateChild(kClassName, parent, id, L"", false);
}

bool XpProgressBar::Refused(ProgressRefusal refusal) {
    if (refusal == ProgressRefusal::None)
        return false;
    if (refusalShown)
        return true;
    refusalShown = true;
    const wchar_t* text = RefusalText(refusal);
    if (ShowRefusal)
        ShowRefusal(hwnd(), text);
    else
        ::MessageBoxW(hwnd() ? ::GetAncestor(hwnd(), GA_ROOT) : nullptr, text, L"Error",
                      MB_OK | MB_ICONERROR);
    refusalShown = false;
    return true;
}

bool XpProgressBar::SetMin(int32_t v) {
    if (Refused(CheckMin(p_, v)))
        return false;
    p_.Min = v;
    Announce(L"Min"); // the fill depends on the range: what is shown is drawn again
    return true;
}

bool XpProgressBar::SetMax(int32_t v) {
    if (Refused(CheckMax(p_, v)))
        return false;
    p_.Max = v;
    Announce(L"Max");
    return true;
}

bool XpProgressBar::SetValue(int32_t v) {
    if (Refused(CheckValue(p_, v)))
        return false;
    const int before = FilledLength(p_, Length());
    const bool changed = v != p_.Value;
    p_.Value = v;
    Announce(L"Value", false);
    if (!hwnd())
        return true;
    if (p_.Style == 0 || v == p_.Max) {
        ::InvalidateRect(hwnd(), nullptr, FALSE);
    } else {
        // Only the strip between the old and the new end; the picture ends up the same.
        const RECT strip = Strip(before, FilledLength(p_, Length()));
        ::InvalidateRect(hwnd(), &strip, FALSE);
    }
    if (changed)
        ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd(), OBJID_CLIENT, CHILDID_SELF);
    return true;
}

void XpProgressBar::SetStyle(int32_t v) {
    p_.Style = v;
    Announce(L"Style");
}

void XpProgressBar::SetProgressLook(int32_t v) {
    p_.ProgressLook = v;
    const auto skin = SkinFor(v);
    if (skin)
        skin_ = *skin;
    Announce(L"ProgressLook", skin.has_value());
}

int XpProgressBar::Frame() const {
    return std::max(1, static_cast<int>(WindowDpi(hwnd())) / 96); // whole pixels at any DPI
}

int XpProgressBar::Length() const {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const int frame = Frame();
    return std::max(0, static_cast<int>(vertical_ ? client.bottom : client.right) - 2 * frame);
}

RECT XpProgressBar::Strip(int from, int to) const {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const int frame = Frame();
    const int low = std::min(from, to), high = std::max(from, to);
    // Gradient ends shift with the length; one pixel more each side covers rounding.
    if (vertical_)
        return {client.left, client.bottom - frame - high - 1, client.right,
                client.bottom - frame - low + 1};
    return {client.left + frame + low - 1, client.top, client.left + frame + high + 1,
            client.bottom};
}

void XpProgressBar::Paint(HDC dc, bool) {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const int frame = Frame();
    const bool contrast = HighContrastOn();
    const COLORREF track = contrast ? ::GetSysColor(COLOR_WINDOW) : skin_.track;
    const COLORREF trackEdge = contrast ? ::GetSysColor(COLOR_WINDOW) : skin_.trackEdge;
    const COLORREF border = contrast ? ::GetSysColor(COLOR_WINDOWTEXT) : skin_.frame;
    RECT inner = client;
    ::InflateRect(&inner, -frame, -frame);
    DrawEdgeLines(dc, client, border, border, frame);
    FillGradient(dc, inner, trackEdge, track, !vertical_);
    const int length = vertical_ ? inner.bottom - inner.top : inner.right - inner.left;
    const int filled = FilledLength(p_, length);
    if (filled <= 0)
        return;
    RECT fill = inner;
    if (vertical_)
        fill.top = fill.bottom - filled;
    else
        fill.right = fill.left + filled;
    if (contrast) {
        FillBox(dc, fill, ::GetSysColor(COLOR_HIGHLIGHT));
        return;
    }
    // Light at the edge, darker across: a rounded bar of metal or glass.
    RECT first = fill, second = fill;
    if (vertical_) {
        first.right = second.left = fill.left + (fill.right - fill.left) * 2 / 5;
        FillGradient(dc, first, skin_.fillMid, skin_.fillLight, false);
        FillGradient(dc, second, skin_.fillLight, skin_.fillDark, false);
    } else {
        first.bottom = second.top = fill.top + (fill.bottom - fill.top) * 2 / 5;
        FillGradient(dc, first, skin_.fillMid, skin_.fillLight, true);
        FillGradient(dc, second, skin_.fillLight, skin_.fillDark, true);
    }
}

std::wstring XpProgressBar::AccValue(long) const {
    return std::to_wstring(FilledPercent(p_)) + L"%";
}

long XpProgressBar::AccRole(long) const {
    return ROLE_SYSTEM_PROGRESSBAR;
}

long XpProgressBar::AccState(long) const {
    return STATE_SYSTEM_READONLY;
}

LRESULT XpProgressBar::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) // the fill is a share of the length
        ::InvalidateRect(hwnd(), nullptr, FALSE);
    return DrawnControl::OnMessage(message, wParam, lParam);
}

} // namespace tessaly
