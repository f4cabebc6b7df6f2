// The window side the drawn controls share: a child of its holder taking the holder's font,
// the note to the holder of which saved property changed, fonts made again when the holder's
// font or the DPI changes, painting on screen and into a caller's DC alike, and an accessible
// object for screen readers.
#pragma once

#include "controls/accessible.h"
#include "win32/window.h"

#include <windows.h>

#include <functional>
#include <string>

namespace tessaly {

class DrawnControl : public Window, public AccessibleSource {
public:
    // The holder's note that a saved property changed, with its key.
    std::function<void(const wchar_t* key)> PropertyChanged;

    // Draws the control again now.
    void Refresh();

protected:
    // Makes the child window `id` of `parent`, visible, a tab stop when `tabStop`.
    bool CreateChild(const wchar_t* className, HWND parent, int id, const std::wstring& text,
                     bool tabStop);
    // Tells the holder `key` changed, and redraws when `redraw`.
    void Announce(const wchar_t* key, bool redraw = true);
    // The holder's font (`containerFont_`) or the DPI changed.
    virtual void RemakeFonts() {}
    // `dc` is the window's own (WM_PAINT) or a caller's (WM_PRINTCLIENT).
    virtual void Paint(HDC dc, bool onScreen) = 0;
    // Painting, fonts, colour and state changes, WM_GETOBJECT; the rest to DefWindowProc.
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    HFONT containerFont_ = nullptr;
};

} // namespace tessaly
