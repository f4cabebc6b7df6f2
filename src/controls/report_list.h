// What the main window's virtual report lists share: their making, their columns, and the
// copying of a cell's text into the list's buffer.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string_view>

namespace tessaly {

struct ListColumn {
    const wchar_t* header;
    int width96; // at 96 DPI
    int format;  // LVCFMT_LEFT / LVCFMT_RIGHT
};

// A virtual (LVS_OWNERDATA) single-selection report list with full-row selection and the
// columns given, sized for the parent's DPI.
HWND CreateReportList(HWND parent, int id, const ListColumn* columns, size_t count);
template <size_t N> HWND CreateReportList(HWND parent, int id, const ListColumn (&columns)[N]) {
    return CreateReportList(parent, id, columns, N);
}

// Answers LVN_GETDISPINFO's text request. The buffer is the asker's and may have no room at
// all: LVM_GETITEMTEXT hands its caller's buffer through as it is.
void CopyCellText(NMLVDISPINFOW& info, std::wstring_view text);

// The row an LVN_ITEMCHANGED selects, or -1 when it selects none.
int NewlySelectedRow(const NMHDR& header);
// An NM_RCLICK's row (-1: none) and where it happened on the screen.
struct ListClick {
    int row;
    POINT screen;
};
ListClick ClickOf(const NMHDR& header);

// Scrolls the list so `topIndex` is its first visible row again (after its rows were replaced).
void RestoreTopIndex(HWND list, int topIndex);

} // namespace tessaly
