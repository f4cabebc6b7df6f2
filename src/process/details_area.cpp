#include "process/details_area.h"

#include "process/file_version.h"
#include "shell/resource.h"

#include <commctrl.h>
#include <shellapi.h>

#include <tuple>

namespace tessaly {

namespace {
// The links' saved design: the program's web links, on the window's background.
PropertyBag LinkDesign() {
    PropertyBag design = WebLinkDesign(L"");
    design.WriteColour(L"BackColor", SystemColour(COLOR_WINDOW), 0);
    return design;
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info))
        return {};
    // The icon's bitmaps are copies the caller owns.
    const UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    if (!::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap))
        return {};
    // A monochrome icon keeps its image and its mask one above the other.
    return {bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
}
} // namespace

VersionTexts ReadVersionTexts(const std::wstring& path) {
    // An empty path would give the last file's texts.
    if (path.empty())
        return {};
    const FileInfoRecord info = GetFileInfo(path);
    return {info.company, info.description, info.fileVersion};
}

HIMAGELIST SystemImageList(UINT sizeFlag, int* exeIcon) {
    SHFILEINFOW info{};
    const auto list = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(L".exe", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                         SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | sizeFlag));
    if (exeIcon)
        *exeIcon = list ? info.iIcon : -1;
    return list;
}

void DetailsArea::Create(HWND parent, HFONT font, HFONT boldFont) {
    parent_ = parent;
    const PropertyBag design = LinkDesign();
    for (auto [link, id, name] : {std::tuple{&readMore_, IDC_FREELINK1, L"Read more about"},
                                  std::tuple{&terminate_, IDC_FREELINK2, L"Terminate"}}) {
        link->Create(parent, id, design, name);
        // A click is the parent's command of the same id, as a button's would be.
        link->Click = [parent, id = id, window = link->hwnd()] {
            ::SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(window));
        };
    }
    SetFonts(font, boldFont);
}

void DetailsArea::SetFonts(HFONT font, HFONT boldFont) {
    for (HWND control : {readMore_.hwnd(), terminate_.hwnd()})
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    boldFont_ = boldFont;
}

int DetailsArea::Height(int dpi) {
    return ::MulDiv(110, dpi, 96);
}

void DetailsArea::Layout(const RECT& box, int dpi) {
    const auto s = [dpi](int v) { return ::MulDiv(v, dpi, 96); };
    const int x = box.left, y = box.top, width = box.right - box.left;
    MoveDrawnBox(parent_, iconBox_, {x, y + s(2), x + s(36), y + s(38)});
    name_.Move(parent_, {x + s(46), y, box.right, y + s(20)});
    const int captionX = x + s(46), valueX = captionX + s(90), line = s(18);
    for (size_t i = 0; i < std::size(values_); ++i) {
        const int rowY = y + s(22) + static_cast<int>(i) * line;
        captions_[i].Move(parent_, {captionX, rowY, captionX + s(88), rowY + line});
        values_[i].Move(parent_, {valueX, rowY, valueX + width / 2 - s(140), rowY + line});
    }
    const int linkX = x + width / 2 + s(20);
    ::MoveWindow(readMore_.hwnd(), linkX, y + s(22), box.right - linkX, line, TRUE);
    ::MoveWindow(terminate_.hwnd(), linkX, y + s(22) + line + s(4), box.right - linkX, line, TRUE);
}

void DetailsArea::Show(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    for (HWND control : {readMore_.hwnd(), terminate_.hwnd()})
        ::ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

void DetailsArea::Set(const ProcessDetails& details, UniqueIcon icon) {
    name_.SetText(parent_, details.name);
    const std::wstring* values[] = {&details.size, &details.company, &details.description,
                                    &details.version};
    for (size_t i = 0; i < std::size(values_); ++i)
        values_[i].SetText(parent_, *values[i]);
    readMore_.SetCaption(details.readMoreLink);
    terminate_.SetCaption(details.terminateLink);
    shown_ = details;
    if (icon || icon_)
        RepaintDrawnBox(parent_, iconBox_);
    icon_ = std::move(icon);
    iconSize_ = IconSize(icon_.get());
}

void DetailsArea::Paint(HDC dc) const {
    if (!visible_)
        return;
    for (const DrawnText& caption : captions_)
        caption.Paint(dc, DT_LEFT | DT_TOP);
    for (const DrawnText& value : values_)
        value.Paint(dc, DT_LEFT | DT_TOP | DT_END_ELLIPSIS);
    if (icon_) {
        // At its own size, centred in its box.
        ::DrawIconEx(dc, (iconBox_.left + iconBox_.right - iconSize_.cx) / 2,
                     (iconBox_.top + iconBox_.bottom - iconSize_.cy) / 2, icon_.get(), iconSize_.cx,
                     iconSize_.cy, 0, nullptr, DI_NORMAL);
    }
    HGDIOBJ font = ::SelectObject(dc, boldFont_);
    name_.Paint(dc, DT_LEFT | DT_TOP | DT_END_ELLIPSIS);
    ::SelectObject(dc, font);
}

} // namespace tessaly
