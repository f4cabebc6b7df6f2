// A navigation column: section headings and drawn push buttons, all in one window. A column of
// button windows costs a window each to make, show and paint, and it is what a program's
// start waits on; this draws the same buttons the button window draws (its styles, schemes,
// hover and press looks) and feeds each the same input, with "the window under the pointer"
// read as "the button under the pointer".
//
// A button click reaches the parent as WM_COMMAND with the button's ID and BN_CLICKED, as a
// button window's would. Keyboard: the column is one tab stop; the arrow keys move between its
// buttons and past either end to the previous or next control, Home and End go to the first
// and last, Enter presses and Space presses on key-up. Accessibility clients see the headings
// and buttons as children of the column, with their names, roles and states, and can press a
// button.
#pragma once

#include "controls/accessible.h"
#include "controls/chameleon_button_logic.h"
#include "win32/handles.h"
#include "win32/window.h"

#include <windows.h>

#include <string>
#include <vector>

namespace tessaly {

class NavBar final : public Window, public AccessibleSource {
public:
    struct Item {
        int id = 0; // 0: a heading, not a button
        std::wstring caption;
        RECT box{};         // in the bar's client area
        PropertyBag design; // a button's saved design; its caption, unless the design has one
    };
    struct Colours {
        COLORREF background, heading;
    };

    bool Create(HWND parent, int id, Colours colours, HFONT font);
    void SetFont(HFONT font);
    // The items and where they stand; the bar itself is placed with MoveWindow. Buttons that
    // stay (by ID) keep their state.
    void SetItems(std::vector<Item> items);
    const std::vector<Item>& Items() const { return items_; }
    // The box of button `id` on the screen; empty when there is none.
    RECT ScreenBox(int id) const;
    // A button's properties as drawn, and what it looks like now; nothing for other IDs.
    const ButtonProperties* Button(int id) const;
    ButtonLook LookOf(int id) const;
    void EnableButton(int id, bool enabled);

    int FocusedItem() const { return ::GetFocus() == hwnd() ? focus_ : -1; }
    void Press(int index);
    void FocusItem(int index);

    // AccessibleSource
    long AccChildCount() const override { return static_cast<long>(items_.size()); }
    std::wstring AccName(long child) const override;
    long AccRole(long child) const override;
    long AccState(long child) const override;
    std::wstring AccDefaultAction(long child) const override;
    bool AccDoDefaultAction(long child) override;
    bool AccTakeFocus(long child) override;
    std::optional<long> AccFocusedChild() const override { return FocusedItem() + 1; }
    RECT AccBox(long child) const override { return items_[child - 1].box; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct ButtonState {
        ButtonProperties properties;
        SchemeColours colours;
        ButtonInput input;
    };
    bool Usable(int index) const; // an enabled button
    void Paint(HDC dc, const RECT& area);
    int ButtonAt(POINT at) const; // index, or -1
    // To the next usable button in `step`'s direction; false when there is none.
    bool MoveFocus(int step, bool fromEnd = false);
    void Redraw(int index);
    void SetHot(int index, int held);
    void KeyDown(WPARAM key);
    void Clicked(int index, const std::vector<ButtonEvent>& events);

    HFONT font_ = nullptr;
    Colours colours_{};
    UniqueBrush background_;
    std::vector<Item> items_;
    std::vector<ButtonState> buttons_; // one per item; used for buttons only
    int hot_ = -1;                     // under the mouse
    int pressed_ = -1;                 // held down by the mouse
    int focus_ = -1;                   // the keyboard's; the first button until moved
    bool keyboardCues_ = false;        // the focus is drawn once the keyboard was used
};

} // namespace tessaly
