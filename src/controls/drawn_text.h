// A text drawn on its parent's background where a static control would otherwise stand.
// Every child window makes creating, showing, moving and painting its parent dearer, and a
// window full of captions and read-only values pays that many times over. The parent lays
// the text out, draws it in its background, and asks for a repaint only of the box whose
// text changed.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace tessaly {

// Asks `parent` to repaint what is drawn in `box`, background included; nothing when there is
// no parent yet or the box is empty.
void RepaintDrawnBox(HWND parent, const RECT& box);
// Moves `box` to `to`, repainting both places; nothing when unchanged.
void MoveDrawnBox(HWND parent, RECT& box, const RECT& to);

class DrawnText {
public:
    explicit DrawnText(std::wstring text = {}) : text_(std::move(text)) {}

    const std::wstring& Text() const { return text_; }
    const RECT& Box() const { return box_; }

    // Both repaint the parent where the text was and where it is now; nothing when unchanged.
    void SetText(HWND parent, std::wstring text);
    void Move(HWND parent, const RECT& box);

    // Draws into `dc` with its font and colours as they are; `format` takes DrawText flags. The
    // text keeps to one line unless `format` holds DT_WORDBREAK.
    void Paint(HDC dc, UINT format) const;

private:
    std::wstring text_;
    RECT box_{};
};

} // namespace tessaly
