// Drawing pieces the drawn controls share: colours from their saved form, fills, edges and
// gradients that make no GDI objects, and fonts from a design at the window's DPI.
#pragma once

#include "controls/property_bag.h"
#include "win32/handles.h"

#include <windows.h>

#include <functional>

namespace tessaly {

// Sent to child windows after their parent moved to another DPI (Windows 10 1703 and later;
// the SDK level this program builds for does not name it).
inline constexpr UINT kDpiChangedAfterParent = 0x02E3;

// The system's colours for ResolveColour.
const std::function<Colour(int)>& SystemColours();
inline COLORREF ToColorRef(Colour colour) {
    return static_cast<COLORREF>(ResolveColour(colour, SystemColours()));
}
bool HighContrastOn();

void FillBox(HDC dc, const RECT& box, COLORREF colour);
// A frame `width` pixels wide: top and left in one colour, bottom and right in the other.
void DrawEdgeLines(HDC dc, const RECT& box, COLORREF topLeft, COLORREF bottomRight, int width);
void FillGradient(HDC dc, const RECT& box, COLORREF from, COLORREF to, bool vertical);
// A rounded outline (and face, when `face` is not CLR_NONE) with the DC's pen and brush.
void DrawRounded(HDC dc, const RECT& box, int radius, COLORREF outline, COLORREF face, int width);

// The font a design names: its face, size and styles over the container's font; sized for
// `dpi` (the container's font is taken as made for that DPI already).
UniqueFont MakeFont(HFONT container, const FontSpec& design, UINT dpi);

// Whether focus cues are to be drawn in this window now (the system's keyboard-cue setting,
// as the window's UI state carries it).
bool FocusCuesShown(HWND window);

// The Shift, Ctrl and Alt keys held now, as mouse and key events report them (1, 2, 4).
short ShiftKeys();
// The mouse buttons a mouse message says are held (1 left, 2 right, 4 middle).
int HeldMouseButtons(WPARAM keys);

// The cursor of a MousePointer number as the form designer lists them (0 the default arrow,
// 99 the control's own icon).
HCURSOR PointerCursor(int16_t mousePointer, HCURSOR mouseIcon);

} // namespace tessaly
