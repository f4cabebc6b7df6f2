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
constexpr const wchar_t* kCaptions[] = {L"File size:", L"Company:", L"Description:", L"Version:"};

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
    icon_ = child(L"STATIC", L"", SS_ICON | SS_CENTERIMAGE, 0, 1020);
    name_ = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, 1021);
    size_ = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, 1022);
    company_ = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, 1023);
    description_ = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, 1024);
    version_ = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, 1025);
    readMore_ = child(WC_LINK, L"", WS_TABSTOP, 0, 1026);
    // The online lookup behind this link is not there yet; it shows what it will offer.
    ::EnableWindow(readMore_, FALSE);
    terminate_ = child(WC_LINK, L"", WS_TABSTOP, 0, 1027);
    SetFonts(font, boldFont);
}

void ProcessPanel::SetFonts(HFONT font, HFONT boldFont) {
    for (HWND control : {list_, size_, company_, description_, version_, readMore_, terminate_})
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    ::SendMessageW(name_, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont), TRUE);
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
    ::MoveWindow(icon_, x, y + s(2), s(36), s(36), TRUE);
    ::MoveWindow(name_, x + s(46), y, width - s(46), s(20), TRUE);
    const int captionX = x + s(46), valueX = captionX + s(90), line = s(18);
    HWND values[] = {size_, company_, description_, version_};
    for (int i = 0; i < 4; ++i) {
        const int rowY = y + s(22) + i * line;
        captions_[i] = {captionX, rowY, captionX + s(88), rowY + line};
        ::MoveWindow(values[i], valueX, rowY, width / 2 - s(140), line, TRUE);
    }
    const int linkX = area.left + width / 2 + s(20);
    ::MoveWindow(readMore_, linkX, y + s(22), area.right - linkX, line, TRUE);
    ::MoveWindow(terminate_, linkX, y + s(22) + line + s(4), area.right - linkX, line, TRUE);
}

void ProcessPanel::Show(bool visible) {
    visible_ = visible;
    for (HWND control :
         {list_, icon_, name_, size_, company_, description_, version_, readMore_, terminate_})
        ::ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

void ProcessPanel::PaintCaptions(HDC dc) const {
    if (!visible_)
        return;
    for (int i = 0; i < 4; ++i) {
        RECT box = captions_[i];
        ::DrawTextW(dc, kCaptions[i], -1, &box, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_TOP);
    }
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
        for (HWND control : {name_, size_, company_, description_, version_, readMore_, terminate_})
            ::SetWindowTextW(control, L"");
        ::SendMessageW(icon_, STM_SETICON, 0, 0);
        shownIcon_.reset();
        return;
    }
    const auto key = std::make_pair(row->processId, row->creationTime);
    auto version = versions_.find(key);
    if (version == versions_.end())
        version = versions_.emplace(key, ReadVersionTexts(row->path)).first;
    WIN32_FILE_ATTRIBUTE_DATA file{};
    const bool sizeKnown = !row->path.empty() &&
                           ::GetFileAttributesExW(row->path.c_str(), GetFileExInfoStandard, &file);
    const uint64_t size = (static_cast<uint64_t>(file.nFileSizeHigh) << 32) | file.nFileSizeLow;
    const ProcessDetails details = DetailsFor(*row, sizeKnown, size, version->second);
    ::SetWindowTextW(name_, details.name.c_str());
    ::SetWindowTextW(size_, details.size.c_str());
    ::SetWindowTextW(company_, details.company.c_str());
    ::SetWindowTextW(description_, details.description.c_str());
    ::SetWindowTextW(version_, details.version.c_str());
    ::SetWindowTextW(readMore_, details.readMoreLink.c_str());
    ::SetWindowTextW(terminate_, (L"<a>" + details.terminateLink + L"</a>").c_str());
    UniqueIcon icon(row->iconIndex >= 0 && largeIcons_
                        ? ImageList_GetIcon(largeIcons_, row->iconIndex, ILD_TRANSPARENT)
                        : nullptr);
    ::SendMessageW(icon_, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
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
