#include "controls/drawn_text.h"

namespace tessaly {

void DrawnText::SetText(HWND parent, std::wstring text) {
    if (text == text_)
        return;
    text_ = std::move(text);
    Invalidate(parent);
}

void DrawnText::Move(HWND parent, const RECT& box) {
    if (::EqualRect(&box, &box_))
        return;
    Invalidate(parent);
    box_ = box;
    Invalidate(parent);
}

void DrawnText::Paint(HDC dc, UINT format) const {
    if (text_.empty() || ::IsRectEmpty(&box_))
        return;
    RECT box = box_;
    ::DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &box,
                format | DT_NOPREFIX | DT_SINGLELINE);
}

void DrawnText::Invalidate(HWND parent) const {
    // The text is drawn with the background, so the background is drawn again too.
    if (parent && !::IsRectEmpty(&box_))
        ::InvalidateRect(parent, &box_, TRUE);
}

} // namespace tessaly
