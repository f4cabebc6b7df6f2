#include "controls/paint_tools.h"

#include "win32/platform.h"

#include <algorithm>

namespace tessaly {

const std::function<Colour(int)>& SystemColours() {
    static const std::function<Colour(int)> system = [](int index) {
        return static_cast<Colour>(::GetSysColor(index));
    };
    return system;
}

bool HighContrastOn() {
    HIGHCONTRASTW contrast{sizeof contrast};
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void FillBox(HDC dc, const RECT& box, COLORREF colour) {
    // The DC's own brush: nothing is made or freed per fill.
    const COLORREF old = ::SetDCBrushColor(dc, colour);
    ::FillRect(dc, &box, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    ::SetDCBrushColor(dc, old);
}

void DrawEdgeLines(HDC dc, const RECT& box, COLORREF topLeft, COLORREF bottomRight, int width) {
    const RECT top{box.left, box.top, box.right, box.top + width};
    const RECT left{box.left, box.top, box.left + width, box.bottom};
    const RECT bottom{box.left, box.bottom - width, box.right, box.bottom};
    const RECT right{box.right - width, box.top, box.right, box.bottom};
    FillBox(dc, bottom, bottomRight);
    FillBox(dc, right, bottomRight);
    FillBox(dc, top, topLeft);
    FillBox(dc, left, topLeft);
}

void FillGradient(HDC dc, const RECT& box, COLORREF from, COLORREF to, bool vertical) {
    if (::IsRectEmpty(&box))
        return;
    const auto vertex = [](LONG x, LONG y, COLORREF c) {
        return TRIVERTEX{x,
                         y,
                         static_cast<COLOR16>(GetRValue(c) << 8),
                         static_cast<COLOR16>(GetGValue(c) << 8),
                         static_cast<COLOR16>(GetBValue(c) << 8),
                         0};
    };
    TRIVERTEX points[] = {vertex(box.left, box.top, from), vertex(box.right, box.bottom, to)};
    GRADIENT_RECT rect{0, 1};
    if (!::GdiGradientFill(dc, points, 2, &rect, 1,
                           vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H))
        FillBox(dc, box, from);
}

void DrawRounded(HDC dc, const RECT& box, int radius, COLORREF outline, COLORREF face, int width) {
    HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(DC_PEN));
    HGDIOBJ oldBrush =
        ::SelectObject(dc, ::GetStockObject(face == CLR_NONE ? NULL_BRUSH : DC_BRUSH));
    const COLORREF oldPenColour = ::SetDCPenColor(dc, outline);
    const COLORREF oldBrushColour = ::SetDCBrushColor(dc, face == CLR_NONE ? 0 : face);
    for (int i = 0; i < std::max(1, width); ++i) {
        ::RoundRect(dc, box.left + i, box.top + i, box.right - i, box.bottom - i, radius, radius);
        ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    }
    ::SetDCBrushColor(dc, oldBrushColour);
    ::SetDCPenColor(dc, oldPenColour);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
}

UniqueFont MakeFont(HFONT container, const FontSpec& design, UINT dpi) {
    LOGFONTW font{};
    if (!container || !::GetObjectW(container, sizeof font, &font)) {
        NONCLIENTMETRICSW metrics{sizeof metrics};
        ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        font = metrics.lfMessageFont;
        font.lfHeight =
            ::MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(WindowDpi(nullptr)));
    }
    if (!design.name.empty())
        ::lstrcpynW(font.lfFaceName, design.name.c_str(), LF_FACESIZE);
    if (design.points > 0)
        font.lfHeight = -static_cast<LONG>(design.points * dpi / 72.0 + 0.5);
    if (design.bold)
        font.lfWeight = FW_BOLD;
    if (design.italic)
        font.lfItalic = TRUE;
    if (design.underline)
        font.lfUnderline = TRUE;
    return UniqueFont(::CreateFontIndirectW(&font));
}

short ShiftKeys() {
    return static_cast<short>((::GetKeyState(VK_SHIFT) < 0 ? 1 : 0) |
                              (::GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                              (::GetKeyState(VK_MENU) < 0 ? 4 : 0));
}

int HeldMouseButtons(WPARAM keys) {
    return (keys & MK_LBUTTON ? 1 : 0) | (keys & MK_RBUTTON ? 2 : 0) | (keys & MK_MBUTTON ? 4 : 0);
}

bool FocusCuesShown(HWND window) {
    return !(::SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

HCURSOR PointerCursor(int16_t mousePointer, HCURSOR mouseIcon) {
    // The numbers of the form designer's pointer list; 99 is the control's own icon.
    const wchar_t* shape = IDC_ARROW;
    switch (mousePointer) {
    case 99:
        if (mouseIcon)
            return mouseIcon;
        break;
    case 2:
        shape = IDC_CROSS;
        break;
    case 3:
        shape = IDC_IBEAM;
        break;
    case 5:
    case 15:
        shape = IDC_SIZEALL;
        break;
    case 6:
        shape = IDC_SIZENESW;
        break;
    case 7:
        shape = IDC_SIZENS;
        break;
    case 8:
        shape = IDC_SIZENWSE;
        break;
    case 9:
        shape = IDC_SIZEWE;
        break;
    case 10:
        shape = IDC_UPARROW;
        break;
    case 11:
        shape = IDC_WAIT;
        break;
    case 12:
        shape = IDC_NO;
        break;
    case 13:
        shape = IDC_APPSTARTING;
        break;
    case 14:
        shape = IDC_HELP;
        break;
    default:
        break;
    }
    return ::LoadCursorW(nullptr, shape);
}

} // namespace tessaly
