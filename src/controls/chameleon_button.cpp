#include "controls/chameleon_button.h"

#include "controls/paint_tools.h"
#include "win32/platform.h"

#include <oleacc.h>
#include <uxtheme.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

namespace tessaly {

namespace {

constexpr const wchar_t* kClassName = L"TessalyChameleonButton";

COLORREF Shift(COLORREF colour, int d) {
    return static_cast<COLORREF>(ShiftColour(static_cast<Colour>(colour), d));
}

// A grey copy of `source` (the mask colour left as it is, so masking still finds it).
UniqueBitmap GreyCopy(HDC dc, HBITMAP source, COLORREF mask) {
    BITMAP info{};
    if (!::GetObjectW(source, sizeof info, &info))
        return {};
    BITMAPINFO header{};
    header.bmiHeader = {sizeof(BITMAPINFOHEADER), info.bmWidth, -info.bmHeight, 1, 32, BI_RGB};
    std::vector<RGBQUAD> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    if (!::GetDIBits(dc, source, 0, info.bmHeight, pixels.data(), &header, DIB_RGB_COLORS))
        return {};
    for (RGBQUAD& p : pixels) {
        if (RGB(p.rgbRed, p.rgbGreen, p.rgbBlue) == mask)
            continue;
        const BYTE grey =
            static_cast<BYTE>((p.rgbRed * 30 + p.rgbGreen * 59 + p.rgbBlue * 11) / 100);
        p.rgbRed = p.rgbGreen = p.rgbBlue = grey;
    }
    UniqueBitmap copy(::CreateCompatibleBitmap(dc, info.bmWidth, info.bmHeight));
    if (copy)
        ::SetDIBits(dc, copy.get(), 0, info.bmHeight, pixels.data(), &header, DIB_RGB_COLORS);
    return copy;
}

void DrawPicture(HDC dc, HBITMAP picture, int x, int y, const ButtonProperties& p, bool grey) {
    BITMAP info{};
    if (!::GetObjectW(picture, sizeof info, &info))
        return;
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    if (!source)
        return;
    const COLORREF mask = ToColorRef(p.MaskColor);
    UniqueBitmap greyed = grey ? GreyCopy(dc, picture, mask) : UniqueBitmap();
    HGDIOBJ old = ::SelectObject(source.get(), greyed ? greyed.get() : picture);
    if (p.UseMaskColor)
        ::TransparentBlt(dc, x, y, info.bmWidth, info.bmHeight, source.get(), 0, 0, info.bmWidth,
                         info.bmHeight, mask);
    else
        ::BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
    ::SelectObject(source.get(), old);
}

SIZE PictureSize(HBITMAP picture) {
    BITMAP info{};
    if (!picture || !::GetObjectW(picture, sizeof info, &info))
        return {0, 0};
    return {info.bmWidth, info.bmHeight};
}

} // namespace

void PaintChameleonButton(HDC dc, const RECT& box, const ButtonProperties& p,
                          const SchemeColours& c, const ButtonPaintState& s) {
    if (::IsRectEmpty(&box))
        return;
    const StyleRecipe recipe = RecipeFor(p.ButtonType);
    const int t = std::max(1, static_cast<int>(s.dpi) / 96); // one line, scaled in whole pixels
    const ButtonLook look = s.look;
    const bool hover = look == ButtonLook::Hover, pressed = look == ButtonLook::Pressed,
               checked = look == ButtonLook::Checked, disabled = look == ButtonLook::Disabled;
    const bool sunken = pressed || checked;
    COLORREF face = hover ? c.faceOver : c.face;
    if (pressed)
        face = Shift(c.faceOver, -18);
    else if (checked)
        face = Shift(c.face, -10);
    const COLORREF text = disabled ? c.shadow : (hover || pressed) ? c.textOver : c.text;

    const int saved = ::SaveDC(dc);
    RECT faceBox = box;
    if (recipe.frame == Frame::Shadowed && !pressed) {
        faceBox.right -= 2 * t;
        faceBox.bottom -= 2 * t;
        RECT shadow = box;
        ::OffsetRect(&shadow, 2 * t, 2 * t);
        ::IntersectRect(&shadow, &shadow, &box);
        FillBox(dc, shadow, c.shade);
    } else if (recipe.frame == Frame::Shadowed) {
        ::OffsetRect(&faceBox, 2 * t, 2 * t);
        faceBox.right = box.right;
        faceBox.bottom = box.bottom;
    }

    // The face: rounded styles clip it to their outline.
    const bool round = recipe.frame == Frame::Rounded || recipe.frame == Frame::Oval;
    const int radius = recipe.frame == Frame::Oval ? faceBox.bottom - faceBox.top
                                                   : ::MulDiv(recipe.radius96, s.dpi, 96) * 2;
    if (round) {
        UniqueRegion clip(::CreateRoundRectRgn(faceBox.left, faceBox.top, faceBox.right + 1,
                                               faceBox.bottom + 1, radius, radius));
        if (clip)
            ::ExtSelectClipRgn(dc, clip.get(), RGN_AND);
    }
    const COLORREF light = Shift(face, 30), dark = Shift(face, -14);
    switch (recipe.face) {
    case Face::Solid:
        FillBox(dc, faceBox, face);
        break;
    case Face::VerticalGradient:
        FillGradient(dc, faceBox, sunken ? dark : light, sunken ? light : dark, true);
        break;
    case Face::HorizontalGradient:
        FillGradient(dc, faceBox, sunken ? dark : light, sunken ? light : dark, false);
        break;
    case Face::None:
        break;
    }
    ::RestoreDC(dc, saved);

    RECT inner = faceBox;
    const auto inset = [&](int by) { ::InflateRect(&inner, -by, -by); };
    switch (recipe.frame) {
    case Frame::Bevel:
        DrawEdgeLines(dc, inner, sunken ? c.darkShadow : c.highlight,
                      sunken ? c.highlight : c.darkShadow, t);
        inset(t);
        DrawEdgeLines(dc, inner, sunken ? c.shadow : c.light, sunken ? c.light : c.shadow, t);
        inset(t);
        break;
    case Frame::ThinBevel:
        DrawEdgeLines(dc, inner, sunken ? c.shadow : c.highlight, sunken ? c.highlight : c.shadow,
                      t);
        inset(t);
        break;
    case Frame::Black:
        DrawEdgeLines(dc, inner, c.darkShadow, c.darkShadow, t);
        inset(t);
        DrawEdgeLines(dc, inner, sunken ? c.shadow : c.highlight, sunken ? face : c.shadow, t);
        inset(t);
        break;
    case Frame::Rounded:
    case Frame::Oval:
        DrawRounded(dc, faceBox, radius,
                    hover    ? c.selection
                    : sunken ? c.darkShadow
                             : c.shadow,
                    CLR_NONE, t);
        inset(t + radius / 4);
        break;
    case Frame::Flat:
        DrawEdgeLines(dc, inner,
                      hover    ? c.highlight
                      : sunken ? c.darkShadow
                               : c.shadow,
                      hover    ? c.highlight
                      : sunken ? c.darkShadow
                               : c.shadow,
                      t);
        inset(t);
        break;
    case Frame::HoverOnly:
        if (hover || sunken)
            DrawEdgeLines(dc, inner, sunken ? c.shadow : c.highlight,
                          sunken ? c.highlight : c.shadow, t);
        inset(t);
        break;
    case Frame::Selection:
        if (hover || sunken) {
            DrawEdgeLines(dc, inner, c.selection, c.selection, t);
        } else { // at rest a rule under the face, as a menu bar's items
            const RECT rule{inner.left, inner.bottom - t, inner.right, inner.bottom};
            FillBox(dc, rule, c.shadow);
        }
        inset(t);
        break;
    case Frame::ThickBevel: {
        const COLORREF tl[] = {c.highlight, c.light, c.light},
                       br[] = {c.darkShadow, c.shadow, c.shade};
        for (int i = 0; i < 3; ++i) {
            DrawEdgeLines(dc, inner, sunken ? br[i] : tl[i], sunken ? tl[i] : br[i], t);
            inset(t);
        }
        break;
    }
    case Frame::Underline:
        break;
    case Frame::Shadowed:
        DrawEdgeLines(dc, inner, c.shadow, c.shadow, t);
        inset(t);
        break;
    case Frame::DoubleFlat: {
        const COLORREF line = hover ? c.highlight : c.shadow;
        DrawEdgeLines(dc, inner, line, line, t);
        inset(2 * t);
        DrawEdgeLines(dc, inner, line, sunken ? c.darkShadow : line, t);
        inset(t);
        break;
    }
    case Frame::TopBar: {
        const RECT bar{inner.left, inner.top, inner.right, inner.top + 3 * t};
        FillBox(dc, bar, pressed ? c.selection : hover ? c.highlight : c.light);
        inner.top = bar.bottom;
        break;
    }
    }

    // The caption and picture, moved down and right while pressed.
    RECT content = inner;
    if (pressed && recipe.frame != Frame::Shadowed)
        ::OffsetRect(&content, t, t);
    HGDIOBJ oldFont = s.font ? ::SelectObject(dc, s.font) : nullptr;
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldText = ::GetTextColor(dc);
    const UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    RECT measured{0, 0, 0, 0};
    if (!p.Caption.empty())
        ::DrawTextW(dc, p.Caption.c_str(), static_cast<int>(p.Caption.size()), &measured,
                    DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    const SIZE picture = PictureSize(s.picture);
    const int width = content.right - content.left, height = content.bottom - content.top;
    const int gap = ::MulDiv(4, s.dpi, 96);
    const int textWidth =
        std::min<int>(measured.right, width - (picture.cx ? picture.cx + gap : 0));
    const ContentBoxes at =
        LayoutContent(width, height, picture.cx, picture.cy, std::max(0, textWidth),
                      measured.bottom, p.PicturePosition, gap);
    if (s.picture)
        DrawPicture(dc, s.picture, content.left + at.pictureX, content.top + at.pictureY, p,
                    p.UseGreyscale && (look == ButtonLook::Normal || disabled));
    RECT caption{content.left + at.textX, content.top + at.textY,
                 content.left + at.textX + std::max(0, textWidth),
                 content.top + at.textY + measured.bottom};
    const auto drawText = [&](COLORREF colour, int dx, int dy) {
        RECT moved = caption;
        ::OffsetRect(&moved, dx, dy);
        ::SetTextColor(dc, colour);
        ::DrawTextW(dc, p.Caption.c_str(), static_cast<int>(p.Caption.size()), &moved, format);
    };
    if (!p.Caption.empty()) {
        if (disabled)
            drawText(c.highlight, t, t); // etched, as the system draws disabled captions
        else if (p.SpecialEffect == 1)
            drawText(c.highlight, t, t);
        else if (p.SpecialEffect == 2)
            drawText(c.highlight, -t, -t);
        else if (p.SpecialEffect == 3)
            drawText(c.darkShadow, t, t);
        drawText(text, 0, 0);
        if (recipe.frame == Frame::Underline && (hover || sunken)) {
            const RECT line{caption.left, caption.bottom, caption.right, caption.bottom + t};
            FillBox(dc, line, text);
        }
    }
    if (s.focusCue && p.ShowFocusRect) {
        RECT focus = inner;
        ::InflateRect(&focus, -t, -t);
        ::SetTextColor(dc, RGB(0, 0, 0));
        const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
        ::DrawFocusRect(dc, &focus);
        ::SetBkColor(dc, oldBack);
    }
    ::SetTextColor(dc, oldText);
    ::SetBkMode(dc, mode);
    if (oldFont)
        ::SelectObject(dc, oldFont);
}

HCURSOR ButtonCursor(const ButtonProperties& p, HCURSOR mouseIcon) {
    return p.HandPointer ? ::LoadCursorW(nullptr, IDC_HAND)
                         : PointerCursor(p.MousePointer, mouseIcon);
}

bool ChameleonButton::Create(HWND parent, int id, const PropertyBag& design,
                             const std::wstring& name) {
    p_ = ReadButtonProperties(design);
    if (!design.Has(L"TX"))
        p_.Caption = name;
    colours_ = ComputeScheme(p_, {}, SystemColours());
    if (!CreateChild(kClassName, parent, id, p_.Caption, true))
        return false;
    MakeFont();
    LoadPictures();
    ::EnableWindow(hwnd(), p_.Enabled);
    return true;
}

ButtonLook ChameleonButton::Look() const {
    return input_.Look(p_.Enabled, p_.CheckBoxBehaviour, p_.Value);
}

void ChameleonButton::SetCaption(const std::wstring& v) {
    p_.Caption = v;
    if (hwnd())
        ::SetWindowTextW(hwnd(), v.c_str());
    Changed(L"TX");
}

void ChameleonButton::SetEnabled(bool v) {
    p_.Enabled = v;
    if (!v)
        input_.Cancel();
    // A disabled window takes neither the focus nor the mouse.
    if (hwnd())
        ::EnableWindow(hwnd(), v);
    Changed(L"ENAB");
}

void ChameleonButton::SetFont(const FontSpec& v) {
    p_.Font = v;
    MakeFont();
    Changed(L"FONT");
}
void ChameleonButton::SetMouseIcon(const std::wstring& v) {
    p_.MouseIcon = v;
    LoadPictures();
    Changed(L"MICON");
}
void ChameleonButton::SetPictureNormal(const std::wstring& v) {
    p_.PictureNormal = v;
    LoadPictures();
    Changed(L"PICN");
}
void ChameleonButton::SetPictureOver(const std::wstring& v) {
    p_.PictureOver = v;
    LoadPictures();
    Changed(L"PICO");
}

void ChameleonButton::Changed(const wchar_t* key) {
    colours_ = ComputeScheme(p_, colours_, SystemColours());
    Announce(key, !refreshOff_);
}

void ChameleonButton::Refresh() {
    refreshOff_ = false;
    DrawnControl::Refresh();
}

void ChameleonButton::MakeFont() {
    if (hwnd())
        font_ = tessaly::MakeFont(containerFont_, p_.Font, WindowDpi(hwnd()));
}

void ChameleonButton::LoadPictures() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto bitmap = [&](const std::wstring& name) {
        return UniqueBitmap(name.empty() ? nullptr
                                         : static_cast<HBITMAP>(::LoadImageW(
                                               instance, name.c_str(), IMAGE_BITMAP, 0, 0, 0)));
    };
    pictureNormal_ = bitmap(p_.PictureNormal);
    pictureOver_ = bitmap(p_.PictureOver);
    mouseIcon_.reset(p_.MouseIcon.empty()
                         ? nullptr
                         : static_cast<HICON>(::LoadImageW(instance, p_.MouseIcon.c_str(),
                                                           IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE)));
}

bool ChameleonButton::PointerInside(POINT client) const {
    RECT box{};
    ::GetClientRect(hwnd(), &box);
    return ::PtInRect(&box, client) != FALSE;
}

void ChameleonButton::MoveFocus(FocusMove move) {
    if (move == FocusMove::None)
        return;
    // The focus is moved, not a Tab sent: a held Shift must not turn Down into Up.
    HWND parent = ::GetParent(hwnd());
    if (HWND next = ::GetNextDlgTabItem(parent, hwnd(), move == FocusMove::Previous))
        ::SetFocus(next);
}

void ChameleonButton::Raise(const std::vector<ButtonEvent>& events, short button, short shift,
                            POINT at, short key) {
    // A handler may destroy the button; nothing of it is touched once its window is gone.
    HWND window = hwnd();
    const auto alive = [&] { return StillOwnedBy(window, this); };
    const float x = static_cast<float>(at.x), y = static_cast<float>(at.y);
    for (ButtonEvent e : events) {
        if (!alive())
            return;
        switch (e) {
        case ButtonEvent::Click: {
            const int id = ::GetDlgCtrlID(window);
            HWND parent = ::GetParent(window);
            if (Click)
                Click();
            if (alive())
                ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                               reinterpret_cast<LPARAM>(window));
            break;
        }
        case ButtonEvent::MouseDown:
            if (MouseDown)
                MouseDown(button, shift, x, y);
            break;
        case ButtonEvent::MouseMove:
            if (MouseMove)
                MouseMove(button, shift, x, y);
            break;
        case ButtonEvent::MouseUp:
            if (MouseUp)
                MouseUp(button, shift, x, y);
            break;
        case ButtonEvent::KeyPress:
            if (KeyPress)
                KeyPress(key);
            break;
        case ButtonEvent::KeyDown:
            if (KeyDown)
                KeyDown(key, shift);
            break;
        case ButtonEvent::KeyUp:
            if (KeyUp)
                KeyUp(key, shift);
            break;
        case ButtonEvent::MouseOver:
            if (MouseOver)
                MouseOver();
            break;
        case ButtonEvent::MouseOut:
            if (MouseOut)
                MouseOut();
            break;
        }
    }
    if (alive())
        ::InvalidateRect(window, nullptr, FALSE);
}

long ChameleonButton::AccRole(long) const {
    return p_.CheckBoxBehaviour ? ROLE_SYSTEM_CHECKBUTTON : ROLE_SYSTEM_PUSHBUTTON;
}

long ChameleonButton::AccState(long) const {
    long state = 0;
    if (input_.Pressed())
        state |= STATE_SYSTEM_PRESSED;
    if (input_.Hover())
        state |= STATE_SYSTEM_HOTTRACKED;
    if (p_.CheckBoxBehaviour && p_.Value)
        state |= STATE_SYSTEM_CHECKED;
    return state;
}

std::wstring ChameleonButton::AccDefaultAction(long) const {
    if (!p_.Enabled)
        return {};
    if (p_.CheckBoxBehaviour)
        return p_.Value ? L"Uncheck" : L"Check";
    return L"Press";
}

bool ChameleonButton::AccDoDefaultAction(long) {
    if (!p_.Enabled)
        return false;
    if (p_.CheckBoxBehaviour)
        p_.Value = !p_.Value;
    Raise({ButtonEvent::Click}, 0, 0, {}, 0);
    return true;
}

void ChameleonButton::Paint(HDC target, bool onScreen) {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    // Drawn whole off the screen and put there at once: a hover change does not flicker.
    UniqueMemoryDc buffer(onScreen ? ::CreateCompatibleDC(target) : nullptr);
    UniqueBitmap bitmap(buffer ? ::CreateCompatibleBitmap(target, client.right, client.bottom)
                               : nullptr);
    HDC dc = bitmap ? buffer.get() : target;
    HGDIOBJ old = bitmap ? ::SelectObject(dc, bitmap.get()) : nullptr;
    ::DrawThemeParentBackground(hwnd(), dc, &client);
    const SchemeColours colours = HighContrastOn() ? SystemScheme(SystemColours())
                                                   : ComputeScheme(p_, colours_, SystemColours());
    colours_ = colours;
    ButtonPaintState state;
    state.look = Look();
    state.focusCue = ::GetFocus() == hwnd() && FocusCuesShown(hwnd());
    state.font = font_ ? font_.get() : containerFont_;
    state.dpi = WindowDpi(hwnd());
    state.picture = input_.Hover() && pictureOver_ ? pictureOver_.get() : pictureNormal_.get();
    PaintChameleonButton(dc, client, p_, colours, state);
    if (bitmap) {
        ::BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
        ::SelectObject(dc, old);
    }
}

LRESULT ChameleonButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    bool& value = p_.Value;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        const int button = message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4;
        if (button == 1 && p_.Enabled) {
            ::SetFocus(hwnd()); // a click gives the focus, as to a button
            ::SetCapture(hwnd());
        }
        Raise(input_.MouseDown(button, p_.Enabled), static_cast<short>(button), ShiftKeys(), at, 0);
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        if (p_.Enabled)
            ::SetCapture(hwnd());
        Raise(input_.DoubleClick(p_.Enabled), 1, ShiftKeys(), at, 0);
        return 0;
    case WM_MOUSEMOVE: {
        const bool inside = PointerInside(at);
        const bool wasHover = input_.Hover();
        const auto events = input_.MouseMove(HeldMouseButtons(wParam), inside, p_.Enabled);
        if (input_.Hover() && !wasHover && !tracking_) {
            // Told when the pointer leaves rather than asking every few milliseconds.
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
            tracking_ = ::TrackMouseEvent(&track) != FALSE;
        }
        Raise(events, static_cast<short>(HeldMouseButtons(wParam)), ShiftKeys(), at, 0);
        return 0;
    }
    case WM_MOUSELEAVE:
        tracking_ = false;
        Raise(input_.MouseLeft(), 0, ShiftKeys(), at, 0);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const int button = message == WM_LBUTTONUP ? 1 : message == WM_RBUTTONUP ? 2 : 4;
        const bool inside = PointerInside(at);
        auto events = input_.MouseUp(button, inside, p_.Enabled, p_.CheckBoxBehaviour, value);
        if (button == 1 && ::GetCapture() == hwnd())
            ::ReleaseCapture();
        Raise(events, static_cast<short>(button), ShiftKeys(), at, 0);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (input_.Capturing()) {
            input_.Cancel();
            ::InvalidateRect(hwnd(), nullptr, FALSE);
        }
        return 0;
    case WM_KEYDOWN: {
        FocusMove move = FocusMove::None;
        const auto events =
            input_.KeyDown(static_cast<int>(wParam), p_.Enabled, p_.CheckBoxBehaviour, value, move);
        Raise(events, 0, ShiftKeys(), {}, static_cast<short>(wParam));
        if (::IsWindow(hwnd()))
            MoveFocus(move);
        return 0;
    }
    case WM_KEYUP:
        Raise(input_.KeyUp(static_cast<int>(wParam), p_.Enabled, p_.CheckBoxBehaviour, value), 0,
              ShiftKeys(), {}, static_cast<short>(wParam));
        return 0;
    case WM_CHAR:
        Raise(input_.KeyPress(p_.Enabled), 0, 0, {}, static_cast<short>(wParam));
        return 0;
    case WM_GETDLGCODE: {
        // The arrows and Enter are the button's; Tab stays the dialog's.
        const auto* key = reinterpret_cast<const MSG*>(lParam);
        if (key && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
            return DLGC_WANTARROWS | DLGC_BUTTON | DLGC_WANTMESSAGE;
        return DLGC_WANTARROWS | DLGC_BUTTON;
    }
    case WM_KILLFOCUS:
        input_.Cancel();
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(ButtonCursor(p_, mouseIcon_.get()));
            return TRUE;
        }
        break;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_ ? font_.get() : containerFont_);
    default:
        break;
    }
    return DrawnControl::OnMessage(message, wParam, lParam);
}

} // namespace tessaly
