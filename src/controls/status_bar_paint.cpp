#include "controls/status_bar_paint.h"

#include "win32/handles.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tessaly {

namespace {

constexpr UINT_PTR kSubclassId = 0x5342;

struct PartRects {
    RECT client{};
    std::vector<RECT> parts;
    bool operator==(const PartRects& other) const {
        return ::EqualRect(&client, &other.client) &&
               std::equal(parts.begin(), parts.end(), other.parts.begin(), other.parts.end(),
                          [](const RECT& a, const RECT& b) { return ::EqualRect(&a, &b); });
    }
};

PartRects ReadPartRects(HWND bar) {
    PartRects rects;
    ::GetClientRect(bar, &rects.client);
    rects.parts.resize(static_cast<size_t>(::SendMessageW(bar, SB_GETPARTS, 0, 0)));
    for (size_t i = 0; i < rects.parts.size(); ++i)
        ::SendMessageW(bar, SB_GETRECT, i, reinterpret_cast<LPARAM>(&rects.parts[i]));
    return rects;
}

bool HasGrip(HWND bar) {
    return (::GetWindowLongPtrW(bar, GWL_STYLE) & SBARS_SIZEGRIP) != 0;
}

// The bar without its texts: background, part frames and size grip.
void DrawFrame(HWND bar, HDC dc, const PartRects& rects) {
    const HTHEME theme = ::GetWindowTheme(bar);
    const bool grip = HasGrip(bar);
    if (theme)
        ::DrawThemeBackground(theme, dc, 0, 0, &rects.client, nullptr);
    else
        ::FillRect(dc, &rects.client, ::GetSysColorBrush(COLOR_3DFACE));
    for (size_t i = 0; i < rects.parts.size(); ++i) {
        RECT part = rects.parts[i];
        if (theme)
            ::DrawThemeBackground(theme, dc,
                                  grip && i + 1 == rects.parts.size() ? SP_GRIPPERPANE : SP_PANE, 0,
                                  &part, nullptr);
        else
            ::DrawEdge(dc, &part, BDR_SUNKENOUTER, BF_RECT);
    }
    if (!grip)
        return;
    RECT box = rects.client;
    SIZE size{};
    if (theme && SUCCEEDED(::GetThemePartSize(theme, dc, SP_GRIPPER, 0, &box, TS_DRAW, &size))) {
        box.left = box.right - size.cx;
        box.top = box.bottom - size.cy;
        ::DrawThemeBackground(theme, dc, SP_GRIPPER, 0, &box, nullptr);
    } else {
        box.left = box.right - ::GetSystemMetrics(SM_CXVSCROLL);
        box.top = box.bottom - ::GetSystemMetrics(SM_CYHSCROLL);
        ::DrawFrameControl(dc, &box, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
}

class Painter {
public:
    void Forget() { rects_ = {}; }

    void Paint(HWND bar, HDC dc, const RECT& area) {
        PartRects rects = ReadPartRects(bar);
        if (!frameDc_ || !(rects == rects_)) {
            rects_ = std::move(rects);
            MakeFrame(bar);
            // Parts moved: what lies outside this paint's area still shows the old texts and
            // grip where they were, so the whole bar is drawn anew.
            const RECT& all = rects_.client;
            if (area.left > all.left || area.top > all.top || area.right < all.right ||
                area.bottom < all.bottom)
                ::InvalidateRect(bar, nullptr, FALSE);
        }
        const bool copied = frameDc_ && ::BitBlt(dc, area.left, area.top, area.right - area.left,
                                                 area.bottom - area.top, frameDc_.get(), area.left,
                                                 area.top, SRCCOPY);
        if (!copied)
            DrawFrame(bar, dc, rects_);
        WriteTexts(bar, dc, area);
    }

private:
    // Made like the bar's own window surface, whatever the paint at hand draws into (a
    // printing or monochrome context among them).
    void MakeFrame(HWND bar) {
        HDC like = ::GetDC(bar);
        frameDc_.reset(::CreateCompatibleDC(like));
        frame_.reset(::CreateCompatibleBitmap(like, rects_.client.right, rects_.client.bottom));
        ::ReleaseDC(bar, like);
        if (!frameDc_ || !frame_) {
            frameDc_.reset();
            return;
        }
        ::SelectObject(frameDc_.get(), frame_.get()); // stays selected while both live
        DrawFrame(bar, frameDc_.get(), rects_);
    }

    void WriteTexts(HWND bar, HDC dc, const RECT& area) {
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(bar, WM_GETFONT, 0, 0));
        HGDIOBJ oldFont = ::SelectObject(dc, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
        const int oldMode = ::SetBkMode(dc, TRANSPARENT);
        const COLORREF oldColour = ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        int borders[3] = {};
        ::SendMessageW(bar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
        const bool grip = HasGrip(bar);
        std::wstring text;
        for (size_t i = 0; i < rects_.parts.size(); ++i) {
            RECT inside = rects_.parts[i], overlap{};
            if (!::IntersectRect(&overlap, &inside, &area))
                continue;
            const LRESULT length = ::SendMessageW(bar, SB_GETTEXTLENGTHW, i, 0);
            text.resize(LOWORD(length));
            if (text.empty() || (HIWORD(length) & SBT_OWNERDRAW))
                continue;
            ::SendMessageW(bar, SB_GETTEXTW, i, reinterpret_cast<LPARAM>(text.data()));
            ::InflateRect(&inside, -(borders[0] + 2), -borders[1]);
            if (grip && i + 1 == rects_.parts.size())
                inside.right -= ::GetSystemMetrics(SM_CXVSCROLL);
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inside,
                        DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
        ::SetTextColor(dc, oldColour);
        ::SetBkMode(dc, oldMode);
        ::SelectObject(dc, oldFont);
    }

    PartRects rects_;
    UniqueBitmap frame_; // declared before the DC it is selected into, so it goes after it
    UniqueMemoryDc frameDc_;
};

LRESULT CALLBACK StatusBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    auto* painter = reinterpret_cast<Painter*>(data);
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers all it is asked to
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        if (wParam) { // into a given device context: the whole bar
            RECT client{};
            ::GetClientRect(bar, &client);
            painter->Paint(bar, reinterpret_cast<HDC>(wParam), client);
            return 0;
        }
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(bar, &paint);
        painter->Paint(bar, dc, paint.rcPaint);
        ::EndPaint(bar, &paint);
        return 0;
    }
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
    case WM_SETFONT:
        painter->Forget();
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(bar, StatusBarProc, kSubclassId);
        delete painter;
        break;
    default:
        break;
    }
    return ::DefSubclassProc(bar, message, wParam, lParam);
}

} // namespace

bool PaintChangedPartsOnly(HWND statusBar) {
    auto* painter = new Painter;
    if (::SetWindowSubclass(statusBar, StatusBarProc, kSubclassId,
                            reinterpret_cast<DWORD_PTR>(painter)))
        return true;
    delete painter;
    return false;
}

} // namespace tessaly
