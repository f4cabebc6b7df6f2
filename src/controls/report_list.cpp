#include "controls/report_list.h"

#include "win32/platform.h"

#include <algorithm>

namespace tessaly {

HWND CreateReportList(HWND parent, int id, const ListColumn* columns, size_t count) {
    HWND list =
        ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
                              LVS_SINGLESEL | LVS_SHAREIMAGELISTS | WS_TABSTOP,
                          0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          ::GetModuleHandleW(nullptr), nullptr);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER |
                                                LVS_EX_HEADERDRAGDROP | LVS_EX_LABELTIP);
    const int dpi = static_cast<int>(WindowDpi(parent));
    for (size_t i = 0; i < count; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = const_cast<wchar_t*>(columns[i].header);
        column.cx = ::MulDiv(columns[i].width96, dpi, 96);
        column.fmt = columns[i].format;
        ListView_InsertColumn(list, static_cast<int>(i), &column);
    }
    return list;
}

void CopyCellText(NMLVDISPINFOW& info, std::wstring_view text) {
    if (!(info.item.mask & LVIF_TEXT) || !info.item.pszText || info.item.cchTextMax <= 0)
        return;
    const size_t length = std::min(text.size(), static_cast<size_t>(info.item.cchTextMax) - 1);
    std::copy_n(text.data(), length, info.item.pszText);
    info.item.pszText[length] = L'\0';
}

int NewlySelectedRow(const NMHDR& header) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    const bool selects = (change.uChanged & LVIF_STATE) && (change.uNewState & LVIS_SELECTED) &&
                         !(change.uOldState & LVIS_SELECTED);
    return selects && change.iItem >= 0 ? change.iItem : -1;
}

ListClick ClickOf(const NMHDR& header) {
    const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
    POINT at = click.ptAction;
    ::ClientToScreen(header.hwndFrom, &at);
    return {click.iItem, at};
}

void RestoreTopIndex(HWND list, int topIndex) {
    const int now = ListView_GetTopIndex(list);
    RECT item{};
    if (now != topIndex && ListView_GetItemRect(list, 0, &item, LVIR_BOUNDS))
        ListView_Scroll(list, 0, (topIndex - now) * (item.bottom - item.top));
}

} // namespace tessaly
