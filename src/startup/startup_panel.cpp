#include "startup/startup_panel.h"

#include "controls/report_list.h"
#include "process/file_version.h"
#include "shell/resource.h"
#include "startup/startup_diff.h"

#include <shellapi.h>

#include <algorithm>
#include <unordered_set>

namespace tessaly {

namespace {
// "Program Name", then the other three in proportion to it.
constexpr ListColumn kColumns[] = {
    {L"Program Name", 140, LVCFMT_LEFT},
    {L"Command Line", 300, LVCFMT_LEFT},
    {L"Location", 160, LVCFMT_LEFT},
    {L"Status", 90, LVCFMT_LEFT},
};
constexpr COLORREF kNewColour = RGB(255, 0, 0);

bool SameEntry(const StartupEntry& a, const StartupEntry& b) {
    return a.hive == b.hive && a.view == b.view && a.key == b.key && a.valueName == b.valueName;
}
} // namespace

void StartupPanel::Create(HWND parent, HFONT font, HFONT boldFont, DetailsArea& details) {
    details_ = &details;
    list_ = CreateReportList(parent, IDC_STARTUPLIST, kColumns);
    ListView_SetImageList(list_, SystemImageList(SHGFI_SMALLICON, &exeIcon_), LVSIL_SMALL);
    ::ShowWindow(list_, SW_HIDE);
    SetFonts(font, boldFont);
}

void StartupPanel::SetFonts(HFONT font, HFONT boldFont) {
    font_ = font;
    boldFont_ = boldFont;
    ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void StartupPanel::Layout(const RECT& area) {
    ::MoveWindow(list_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

void StartupPanel::Show(bool visible) {
    visible_ = visible;
    ::ShowWindow(list_, visible ? SW_SHOW : SW_HIDE);
    if (visible)
        ShowDetails(Link::Click);
}

std::vector<std::wstring> StartupPanel::Names() const {
    std::vector<std::wstring> names;
    names.reserve(rows_.size());
    for (const StartupEntry& row : rows_)
        names.push_back(row.Name());
    return names;
}

void StartupPanel::SetRows(std::vector<StartupEntry> rows, Keep keep) {
    std::optional<StartupEntry> selected;
    const int topIndex = ListView_GetTopIndex(list_);
    if (const StartupEntry* row = Selected(); row && keep == Keep::Selection)
        selected = *row;
    // A name marked new stays marked until the next check says otherwise, so the rows do not
    // flash back to black while it waits.
    std::unordered_set<std::wstring> marked;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (Marked(static_cast<int>(i)))
            marked.insert(RememberedName(rows_[i].Name()));
    rows_ = std::move(rows);
    marks_.assign(rows_.size(), false);
    for (size_t i = 0; i < rows_.size() && !marked.empty(); ++i)
        marks_[i] = marked.count(RememberedName(rows_[i].Name())) > 0;
    int select = 0;
    if (selected) {
        const auto found = std::find_if(rows_.begin(), rows_.end(), [&](const StartupEntry& row) {
            return SameEntry(row, *selected);
        });
        // An entry that went leaves the selection where it was, within the list.
        select = found != rows_.end()
                     ? static_cast<int>(found - rows_.begin())
                     : std::min(selectedRow_ - 1, static_cast<int>(rows_.size()) - 1);
    }
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), LVSICF_NOSCROLL);
    if (keep == Keep::Selection)
        RestoreTopIndex(list_, topIndex);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, FALSE);
    SelectRow(std::max(select, 0));
    if (keep == Keep::Nothing && !rows_.empty())
        ListView_EnsureVisible(list_, 0, FALSE);
}

void StartupPanel::Mark(const std::vector<bool>& marks) {
    marks_ = marks;
    marks_.resize(rows_.size(), false);
    ::InvalidateRect(list_, nullptr, FALSE);
}

bool StartupPanel::Marked(int index) const {
    return index >= 0 && index < static_cast<int>(marks_.size()) && marks_[index];
}

const StartupEntry* StartupPanel::Selected() const {
    const int index = selectedRow_ - 1;
    return index >= 0 && index < static_cast<int>(rows_.size()) ? &rows_[index] : nullptr;
}

void StartupPanel::SelectRow(int index, Link link) {
    if (rows_.empty()) {
        selectedRow_ = 1;
        ShowDetails(link);
        return;
    }
    index = std::clamp(index, 0, static_cast<int>(rows_.size()) - 1);
    selectedRow_ = index + 1; // first, so the change notification finds nothing to do
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ShowDetails(link);
}

POINT StartupPanel::MenuPoint() const {
    RECT item{};
    ListView_GetItemRect(list_, selectedRow_ - 1, &item, LVIR_LABEL);
    POINT at{item.left, item.bottom};
    ::ClientToScreen(list_, &at);
    return at;
}

void StartupPanel::ShowDetails(Link link) {
    if (!visible_ || !details_)
        return;
    const StartupEntry* row = Selected();
    if (!row) {
        details_->Set(ProcessDetails{}, UniqueIcon());
        return;
    }
    bool sizeKnown = false;
    const uint64_t size = row->path.empty() ? 0 : FileSizeOf(row->path, sizeKnown);
    ProcessDetails details =
        DetailsForFile(row->fileName, sizeKnown, size, ReadVersionTexts(row->path));
    if (link == Link::Load)
        details.readMoreLink = L"Read More about " + row->fileName;
    SHFILEINFOW info{};
    if (!sizeKnown ||
        !::SHGetFileInfoW(row->path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON))
        info.hIcon = nullptr;
    details_->Set(details, UniqueIcon(info.hIcon));
}

void StartupPanel::OnDisplayInfo(NMLVDISPINFOW& info) const {
    if (info.item.iItem < 0 || info.item.iItem >= static_cast<int>(rows_.size()))
        return;
    const StartupEntry& row = rows_[info.item.iItem];
    if (info.item.mask & LVIF_TEXT)
        CopyCellText(info, StartupCellText(row, static_cast<StartupColumn>(info.item.iSubItem)));
    if (info.item.mask & LVIF_IMAGE)
        info.item.iImage = exeIcon_;
}

LRESULT StartupPanel::OnCustomDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        // Only a new entry's rows need more than the list's own drawing.
        return Marked(static_cast<int>(draw.nmcd.dwItemSpec)) ? CDRF_NOTIFYSUBITEMDRAW
                                                              : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        // The name is red and bold; the other columns keep the list's look.
        if (draw.iSubItem == 0) {
            draw.clrText = kNewColour;
            ::SelectObject(draw.nmcd.hdc, boldFont_);
        } else {
            draw.clrText = ::GetSysColor(COLOR_WINDOWTEXT);
            ::SelectObject(draw.nmcd.hdc, font_);
        }
        return CDRF_NEWFONT;
    default:
        return CDRF_DODEFAULT;
    }
}

bool StartupPanel::OnNotify(const NMHDR& header, LRESULT& result) {
    result = 0;
    if (header.hwndFrom != list_ || !list_)
        return false;
    switch (header.code) {
    case LVN_GETDISPINFOW:
        OnDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
        return true;
    case NM_CUSTOMDRAW:
        result = OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
        return true;
    case LVN_ITEMCHANGED: {
        // Mouse and keyboard alike: the details follow the selection.
        const int row = NewlySelectedRow(header);
        if (row >= 0 && row + 1 != selectedRow_) {
            selectedRow_ = row + 1;
            ShowDetails(Link::Click);
        }
        return true;
    }
    case NM_RCLICK: {
        if (rows_.empty())
            return true;
        const ListClick click = ClickOf(header);
        if (click.row >= 0 && click.row + 1 != selectedRow_)
            SelectRow(click.row);
        if (ContextMenu)
            ContextMenu(click.screen);
        return true;
    }
    default:
        return false;
    }
}

} // namespace tessaly
