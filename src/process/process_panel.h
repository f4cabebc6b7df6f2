// The process list of the main window. The rows are plain data; the list view is virtual and
// asks for each cell as it paints. While shown, the list puts its selected row's details in
// the main window's details area.
#pragma once

#include "process/details_area.h"
#include "process/process_list.h"
#include "process/process_view.h"
#include "win32/handles.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace tessaly {

class ProcessPanel {
public:
    enum class Keep { Nothing, SortAndSelection };

    void Create(HWND parent, HFONT font, DetailsArea& details);
    void SetFont(HFONT font);
    void Layout(const RECT& area); // the list's place

    // New rows from a refresh. A rebuild sorts by name and selects row 1; otherwise the
    // sort, the selected process and the scroll position stay as the user left them.
    void SetRows(std::vector<ProcessRecord> rows, Keep keep);

    // WM_NOTIFY from the list; true when handled.
    bool OnNotify(const NMHDR& header, LRESULT& result);

    const std::vector<ProcessRecord>& Rows() const { return rows_; }
    const ProcessRecord* Selected() const;
    int SelectedRow() const { return selectedRow_; } // 1-based
    void SelectRow(int index);                       // 0-based
    SortState Sort() const { return sort_; }
    void SortBy(ProcessColumn column); // as a header click does
    HWND List() const { return list_; }
    // Showing the list puts its selection's details in the details area.
    void Show(bool visible);
    // What the details area shows.
    const ProcessDetails& ShownDetails() const { return details_->Shown(); }
    HICON ShownIcon() const { return details_->ShownIcon(); }

    std::function<void(POINT screen)> ContextMenu; // right button on a row

private:
    void ShowDetails();
    void UpdateHeaderArrows();
    void OnDisplayInfo(NMLVDISPINFOW& info);

    HWND parent_ = nullptr;
    HWND list_ = nullptr;
    DetailsArea* details_ = nullptr; // the main window's
    bool visible_ = true;
    HIMAGELIST largeIcons_ = nullptr; // the shell's, not owned

    std::vector<ProcessRecord> rows_;
    SortState sort_;
    int selectedRow_ = 1;
    // Version texts of the instances shown so far, by ID and creation time.
    std::map<std::pair<uint32_t, uint64_t>, VersionTexts> versions_;
};

} // namespace tessaly
