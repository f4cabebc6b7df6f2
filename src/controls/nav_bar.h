// A navigation column: section headings and push buttons, all in one window. A column of
// button windows costs a window each to make, show and paint, and it is what a program's
// start waits on; this draws the same buttons (themed where themes are on) itself.
//
// A button click reaches the parent as WM_COMMAND with the button's ID and BN_CLICKED, as a
// button window's would. Keyboard: the column is one tab stop; the arrow keys, Home and End
// move between its buttons, Enter and Space press the one with the focus. Accessibility
// clients see the headings and buttons as children of the bar, with their names, roles and
// states, and can press a button.
#pragma once

#include "win32/handles.h"
#include "win32/window.h"

#include <windows.h>
#include <uxtheme.h>

#include <string>
#include <vector>

namespace tessaly {

struct ThemeTraits {
    using Handle = HTHEME;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::CloseThemeData(h); }
};
using UniqueTheme = UniqueHandle<ThemeTraits>;

class NavBar final : public Window {
public:
    struct Item {
        int id = 0; // 0: a heading, not a button
        std::wstring caption;
        RECT box{}; // in the bar's client area
    };
    struct Colours {
        COLORREF background, heading;
    };

    bool Create(HWND parent, int id, Colours colours, HFONT font);
    void SetFont(HFONT font);
    // The items and where they stand; the bar itself is placed with MoveWindow.
    void SetItems(std::vector<Item> items);
    const std::vector<Item>& Items() const { return items_; }
    // The box of button `id` on the screen; empty when there is none.
    RECT ScreenBox(int id) const;

    // For the accessible object: the item that has the keyboard focus (-1: none), what the
    // mouse does to which, and pressing item `index` as a click would.
    int FocusedItem() const { return ::GetFocus() == hwnd() ? focus_ : -1; }
    int HotItem() const { return hot_; }
    int PressedItem() const { return pressed_; }
    void Press(int index);
    void FocusItem(int index);

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc, const RECT& area);
    int ButtonAt(POINT at) const; // index, or -1
    void MoveFocus(int step, bool fromEnd = false);
    void Redraw(int index);
    void SetHot(int index);

    HFONT font_ = nullptr;
    Colours colours_{};
    UniqueBrush background_;
    UniqueTheme theme_; // opened at the first paint
    std::vector<Item> items_;
    int hot_ = -1;              // under the mouse
    int pressed_ = -1;          // held down by the mouse
    int focus_ = -1;            // the keyboard's; the first button until moved
    bool keyboardCues_ = false; // the focus is drawn once the keyboard was used
};

} // namespace tessaly
