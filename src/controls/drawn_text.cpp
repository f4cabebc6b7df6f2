#include "controls/drawn_text.h"

namespace tessaly {

void RepaintDrawnBox(HWND parent, const RECT& box) {
    // What is drawn in a box is drawn with the background, so the background is drawn again.
    if (parent && !::IsRectEmpty(&box))
        ::InvalidateRect(parent, &box, TRUE);
}

void MoveDrawnBox(HWND parent, RECT& box, const RECT& to) {
    if (::EqualRect(&box, &to))
        return;
    RepaintDrawnBox(parent, box);
    box = to;
    RepaintDrawnBox(parent, box);
}

void DrawnText::SetText(HWND parent, std::wstring text) {
    if (text == text_)
        return;
    text_ = std::move(text);
    RepaintDrawnBox(parent, box_);
}

void DrawnText::Move(HWND parent, const RECT& box) {
    MoveDrawnBox(parent, box_, box);
}

void DrawnText::Paint(HDC dc, UINT format) const {
    if (text_.empty() || ::IsRectEmpty(&box_))
        return;
    RECT box = box_;
    // One line unless the caller asks for wrapping.
    if (!(format & DT_WORDBREAK))
        format |= DT_SINGLELINE;
    ::DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &box, format | DT_NOPREFIX);
}

} // namespace tessaly
