#include "process/process_panel.h"

#include "process/file_version.h"
#include "win32/platform.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <set>

namespace tessaly {

namespace {

struct ColumnSpec {
    const wchar_t* header;
    int width96;
    int format;
};
constexpr ColumnSpec kColumns[] = {
    {L"Process Name", 170, LVCFMT_LEFT}, {L"Memory usage Kb", 115, LVCFMT_RIGHT},
    {L"ID", 60, LVCFMT_RIGHT},           {L"Threads", 65, LVCFMT_RIGHT},
    {L"Path", 330, LVCFMT_LEFT},
};

HIMAGELIST SystemImageList(UINT sizeFlag) {
    SHFILEINFOW info{};
    return reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(L".exe", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                         SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | sizeFlag));
}

VersionTexts ReadVersionTexts(const std::wstring& path) {
    if (path.empty())
        return {};
    const FileInfoRecord info = GetFileInfo(path);
    return {info.company, info.description, info.fileVersion};
}

} // namespace

void ProcessPanel::Create(HWND parent, HFONT font, HFONT boldFont) {
    parent_ = parent;
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle = 0,
                           int id = 0) {
        return ::CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 instance, nullptr);
    };
    list_ = child(WC_LISTVIEWW, L"",
                  LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL |
                      LVS_SHAREIMAGELISTS | WS_TABSTOP,
                  WS_EX_CLIENTEDGE, 1001);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER |
                                                 LVS_EX_HEADERDRAGDROP | LVS_EX_LABELTIP);
    for (size_t i = 0; i < std::size(kColumns); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = const_cast<wchar_t*>(kColumns[i].header);
        column.cx = ::MulDiv(kColumns[i].width96, static_cast<int>(WindowDpi(parent)), 96);
        column.fmt = kColumns[i].format;
        ListView_InsertColumn(list_, static_cast<int>(i), &column);
    }
    // The file's icon, name and version texts are drawn on the parent's background (see
    // PaintDetails); only the links, which take the keyboard, are windows.
    readMore_ = child(WC_LINK, L"", WS_TABSTOP, 0, 1026);
    // The online lookup behind this link is not there yet; it shows what it will offer.
    ::EnableWindow(readMore_, FALSE);
    terminate_ = child(WC_LINK, L"", WS_TABSTOP, 0, 1027);
    SetFonts(font, boldFont);
}

void ProcessPanel::SetFonts(HFONT font, HFONT boldFont) {
    for (HWND control : {list_, readMore_, terminate_})
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    boldFont_ = boldFont;
}

void ProcessPanel::Layout(const RECT& area, int dpi) {
    const auto s = [dpi](int v) { return ::MulDiv(v, dpi, 96); };
    const int detailsHeight = s(112);
    const int width = area.right - area.left;
    const int listBottom = area.bottom - detailsHeight - s(8);
    ::MoveWindow(list_, area.left, area.top, width, listBottom - area.top, TRUE);
    // The path column takes what the others leave.
    ListView_SetColumnWidth(list_, static_cast<int>(ProcessColumn::Path), LVSCW_AUTOSIZE_USEHEADER);
    int y = listBottom + s(10);
    const int x = area.left;
    MoveDrawnBox(parent_, iconBox_, {x, y + s(2), x + s(36), y + s(38)});
    name_.Move(parent_, {x + s(46), y, area.right, y + s(20)});
    const int captionX = x + s(46), valueX = captionX + s(90), line = s(18);
    for (size_t i = 0; i < std::size(values_); ++i) {
        const int rowY = y + s(22) + static_cast<int>(i) * line;
        captions_[i].Move(parent_, {captionX, rowY, captionX + s(88), rowY + line});
        values_[i].Move(parent_, {valueX, rowY, valueX + width / 2 - s(140), rowY + line});
    }
    const int linkX = area.left + width / 2 + s(20);
    ::MoveWindow(readMore_, linkX, y + s(22), area.right - linkX, line, TRUE);
    ::MoveWindow(terminate_, linkX, y + s(22) + line + s(4), area.right - linkX, line, TRUE);
}

void ProcessPanel::Show(bool visible) {
    visible_ = visible;
    for (HWND control : {list_, readMore_, terminate_})
        ::ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

void ProcessPanel::PaintDetails(HDC dc) const {
    if (!visible_)
        return;
    for (const DrawnText& caption : captions_)
        caption.Paint(dc, DT_LEFT | DT_TOP);
    for (const DrawnText& value : values_)
        value.Paint(dc, DT_LEFT | DT_TOP | DT_END_ELLIPSIS);
    if (shownIcon_) {
        // At its own size, centred in its box.
        int width = 0, height = 0;
        ImageList_GetIconSize(largeIcons_, &width, &height);
        ::DrawIconEx(dc, (iconBox_.left + iconBox_.right - width) / 2,
                     (iconBox_.top + iconBox_.bottom - height) / 2, shownIcon_.get(), width, height,
                     0, nullptr, DI_NORMAL);
    }
    HGDIOBJ font = ::SelectObject(dc, boldFont_);
    name_.Paint(dc, DT_LEFT | DT_TOP | DT_END_ELLIPSIS);
    ::SelectObject(dc, font);
}

ProcessDetails ProcessPanel::ShownDetails() const {
    ProcessDetails shown;
    shown.name = name_.Text();
    shown.size = values_[0].Text();
    shown.company = values_[1].Text();
    shown.description = values_[2].Text();
    shown.version = values_[3].Text();
    return shown;
}

void ProcessPanel::SetRows(std::vector<ProcessRecord> rows, Keep keep) {
    uint32_t selectedId = 0;
    int topIndex = 0;
    if (keep == Keep::SortAndSelection) {
        if (const ProcessRecord* selected = Selected())
            selectedId = selected->processId;
        topIndex = ListView_GetTopIndex(list_);
    } else {
        sort_ = SortState{};
    }
    if (!largeIcons_) {
        // The shell's own image lists: every file's icon is extracted once for the whole
        // system. Asked for only now: the rows were read with them, so the shell has set them
        // up by this time on the loading thread, and the window did not wait for that.
        ListView_SetImageList(list_, SystemImageList(SHGFI_SMALLICON), LVSIL_SMALL);
        largeIcons_ = SystemImageList(SHGFI_LARGEICON);
    }
    rows_ = std::move(rows);
    SortRows(rows_, sort_);

    std::set<std::pair<uint32_t, uint64_t>> live;
    for (const ProcessRecord& row : rows_)
        live.emplace(row.processId, row.creationTime);
    std::erase_if(versions_, [&](const auto& entry) { return !live.count(entry.first); });

    int select = 0;
    if (keep == Keep::SortAndSelection && selectedId != 0) {
        const int row = RowOfProcess(rows_, selectedId);
        // A selected process that ended leaves the selection where it was, within the list.
        select = row >= 0 ? row : std::min(selectedRow_ - 1, static_cast<int>(rows_.size()) - 1);
    }
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ListView_SetItemCountEx(list_, static_cast<int>(rows_.size()), LVSICF_NOSCROLL);
    UpdateHeaderArrows();
    if (keep == Keep::SortAndSelection) {
        // Put the rows back where the user had scrolled them.
        const int now = ListView_GetTopIndex(list_);
        RECT item{};
        if (now != topIndex && ListView_GetItemRect(list_, 0, &item, LVIR_BOUNDS))
            ListView_Scroll(list_, 0, (topIndex - now) * (item.bottom - item.top));
    }
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, FALSE);
    SelectRow(std::max(select, 0));
    if (keep == Keep::Nothing && !rows_.empty())
        ListView_EnsureVisible(list_, 0, FALSE);
}

const ProcessRecord* ProcessPanel::Selected() const {
    const int index = selectedRow_ - 1;
    return index >= 0 && index < static_cast<int>(rows_.size()) ? &rows_[index] : nullptr;
}

void ProcessPanel::SelectRow(int index) {
    if (rows_.empty()) {
        selectedRow_ = 1;
        ShowDetails();
        return;
    }
    index = std::clamp(index, 0, static_cast<int>(rows_.size()) - 1);
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    selectedRow_ = index + 1;
    ShowDetails();
}

void ProcessPanel::SortBy(ProcessColumn column) {
    const ProcessRecord* selected = Selected();
    const uint32_t selectedId = selected ? selected->processId : 0;
    sort_ = NextSortState(sort_, column);
    SortRows(rows_, sort_);
    UpdateHeaderArrows();
    ::InvalidateRect(list_, nullptr, FALSE);
    const int row = RowOfProcess(rows_, selectedId);
    if (row >= 0) {
        SelectRow(row);
        ListView_EnsureVisible(list_, row, FALSE);
    }
}

void ProcessPanel::UpdateHeaderArrows() {
    HWND header = ListView_GetHeader(list_);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, i, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == static_cast<int>(sort_.column))
            item.fmt |= sort_.descending ? HDF_SORTDOWN : HDF_SORTUP;
        Header_SetItem(header, i, &item);
    }
}

void ProcessPanel::ShowDetails() {
    const ProcessRecord* row = Selected();
    if (!row) {
        ShowDetails(ProcessDetails{}, UniqueIcon());
        return;
    }
    const auto key = std::make_pair(row->processId, row->creationTime);
    auto version = versions_.find(key);
    if (version == versions_.end())
        version = versions_.emplace(key, ReadVersionTexts(row->path)).first;
    bool sizeKnown = false;
    const uint64_t size = row->path.empty() ? 0 : FileSizeOf(row->path, sizeKnown);
    ShowDetails(DetailsFor(*row, sizeKnown, size, version->second),
                UniqueIcon(row->iconIndex >= 0 && largeIcons_
                               ? ImageList_GetIcon(largeIcons_, row->iconIndex, ILD_TRANSPARENT)
                               : nullptr));
}

void ProcessPanel::ShowDetails(const ProcessDetails& details, UniqueIcon icon) {
    name_.SetText(parent_, details.name);
    const std::wstring* values[] = {&details.size, &details.company, &details.description,
                                    &details.version};
    for (size_t i = 0; i < std::size(values_); ++i)
        values_[i].SetText(parent_, *values[i]);
    ::SetWindowTextW(readMore_, details.readMoreLink.c_str());
    ::SetWindowTextW(terminate_, details.terminateLink.empty()
                                     ? L""
                                     : (L"<a>" + details.terminateLink + L"</a>").c_str());
    if (icon || shownIcon_)
        RepaintDrawnBox(parent_, iconBox_);
    shownIcon_ = std::move(icon);
}

void ProcessPanel::OnDisplayInfo(NMLVDISPINFOW& info) {
    if (info.item.iItem < 0 || info.item.iItem >= static_cast<int>(rows_.size()))
        return;
    const ProcessRecord& row = rows_[info.item.iItem];
    // The buffer is the asker's and may have no room at all: LVM_GETITEMTEXT hands its
    // caller's buffer through as it is.
    if ((info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0) {
        const std::wstring text =
            ProcessCellText(row, static_cast<ProcessColumn>(info.item.iSubItem));
        const size_t length = std::min(text.size(), static_cast<size_t>(info.item.cchTextMax) - 1);
        std::copy_n(text.c_str(), length, info.item.pszText);
        info.item.pszText[length] = L'\0';
    }
    if (info.item.mask & LVIF_IMAGE)
        info.item.iImage = row.iconIndex;
}

bool ProcessPanel::OnNotify(const NMHDR& header, LRESULT& result) {
    result = 0;
    if (header.hwndFrom == terminate_ && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        if (TerminateLink)
            TerminateLink();
        return true;
    }
    if (header.hwndFrom != list_)
        return false;
    switch (header.code) {
    case LVN_GETDISPINFOW:
        OnDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
        return true;
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) &&
            !(change.uOldState & LVIS_SELECTED) && change.iItem >= 0 &&
            change.iItem + 1 != selectedRow_) {
            selectedRow_ = change.iItem + 1;
            ShowDetails();
        }
        return true;
    }
    case LVN_COLUMNCLICK:
        SortBy(static_cast<ProcessColumn>(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem));
        return true;
    case NM_RCLICK: {
        if (rows_.empty())
            return true;
        const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
        if (click.iItem >= 0)
            SelectRow(click.iItem);
        POINT at = click.ptAction;
        ::ClientToScreen(list_, &at);
        if (ContextMenu)
            ContextMenu(at);
        return true;
    }
    default:
        return false;
    }
}

} // namespace tessaly
