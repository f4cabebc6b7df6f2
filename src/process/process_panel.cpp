#include "process/process_panel.h"

#include "controls/report_list.h"
#include "process/file_version.h"
#include "shell/resource.h"
#include "win32/platform.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <set>

namespace tessaly {

namespace {

constexpr ListColumn kColumns[] = {
    {L"Process Name", 170, LVCFMT_LEFT}, {L"Memory usage Kb", 115, LVCFMT_RIGHT},
    {L"ID", 60, LVCFMT_RIGHT},           {L"Threads", 65, LVCFMT_RIGHT},
    {L"Path", 330, LVCFMT_LEFT},
};

} // namespace

void ProcessPanel::Create(HWND parent, HFONT font, DetailsArea& details) {
    parent_ = parent;
    details_ = &details;
    list_ = CreateReportList(parent, IDC_LSTPROCESSES, kColumns);
    SetFont(font);
}

void ProcessPanel::SetFont(HFONT font) {
    ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void ProcessPanel::Layout(const RECT& area) {
    ::MoveWindow(list_, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    // The path column takes what the others leave.
    ListView_SetColumnWidth(list_, static_cast<int>(ProcessColumn::Path), LVSCW_AUTOSIZE_USEHEADER);
}

void ProcessPanel::Show(bool visible) {
    visible_ = visible;
    ::ShowWindow(list_, visible ? SW_SHOW : SW_HIDE);
    if (visible)
        ShowDetails();
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
        RestoreTopIndex(list_, topIndex); // where the user had scrolled them
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
    // The area belongs to the list on the screen.
    if (!visible_ || !details_)
        return;
    const ProcessRecord* row = Selected();
    if (!row) {
        details_->Set(ProcessDetails{}, UniqueIcon());
        return;
    }
    const auto key = std::make_pair(row->processId, row->creationTime);
    auto version = versions_.find(key);
    if (version == versions_.end())
        version = versions_.emplace(key, ReadVersionTexts(row->path)).first;
    bool sizeKnown = false;
    const uint64_t size = row->path.empty() ? 0 : FileSizeOf(row->path, sizeKnown);
    details_->Set(DetailsFor(*row, sizeKnown, size, version->second),
                  UniqueIcon(row->iconIndex >= 0 && largeIcons_
                                 ? ImageList_GetIcon(largeIcons_, row->iconIndex, ILD_TRANSPARENT)
                                 : nullptr));
}

void ProcessPanel::OnDisplayInfo(NMLVDISPINFOW& info) {
    if (info.item.iItem < 0 || info.item.iItem >= static_cast<int>(rows_.size()))
        return;
    const ProcessRecord& row = rows_[info.item.iItem];
    if (info.item.mask & LVIF_TEXT)
        CopyCellText(info, ProcessCellText(row, static_cast<ProcessColumn>(info.item.iSubItem)));
    if (info.item.mask & LVIF_IMAGE)
        info.item.iImage = row.iconIndex;
}

bool ProcessPanel::OnNotify(const NMHDR& header, LRESULT& result) {
    result = 0;
    if (header.hwndFrom != list_)
        return false;
    switch (header.code) {
    case LVN_GETDISPINFOW:
        OnDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
        return true;
    case LVN_ITEMCHANGED: {
        const int row = NewlySelectedRow(header);
        if (row >= 0 && row + 1 != selectedRow_) {
            selectedRow_ = row + 1;
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
        const ListClick click = ClickOf(header);
        if (click.row >= 0)
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
