// The process list of the main window and the details area of its selected row. The rows
// are plain data; the list view is virtual and asks for each cell as it paints.
#pragma once

#include "controls/drawn_text.h"
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

    void Create(HWND parent, HFONT font, HFONT boldFont);
    void SetFonts(HFONT font, HFONT boldFont);
    void Layout(const RECT& area, int dpi);

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
    void Show(bool visible);
    // The details area but its links, drawn on the parent's background with the parent's
    // font and text colour selected into `dc`.
    void PaintDetails(HDC dc) const;
    // What the details area shows: the texts (not the links) and the file's icon.
    ProcessDetails ShownDetails() const;
    HICON ShownIcon() const { return shownIcon_.get(); }

    std::function<void(POINT screen)> ContextMenu; // right button on a row
    std::function<void()> TerminateLink;           // the "Terminate ... Process" link

private:
    void ShowDetails();
    void ShowDetails(const ProcessDetails& details, UniqueIcon icon);
    void UpdateHeaderArrows();
    void OnDisplayInfo(NMLVDISPINFOW& info);

    HWND parent_ = nullptr;
    HWND list_ = nullptr;
    HFONT boldFont_ = nullptr; // the name's; not owned
    RECT iconBox_{};           // Image3
    DrawnText name_;           // Label2(19)
    DrawnText captions_[4] = {DrawnText(L"File size:"), DrawnText(L"Company:"),
                              DrawnText(L"Description:"), DrawnText(L"Version:")};
    // Label9 (size), Label12 (company), Label11 (description), Label10 (version)
    DrawnText values_[4];
    bool visible_ = true;
    HWND readMore_ = nullptr;         // FreeLink1
    HWND terminate_ = nullptr;        // FreeLink2
    HIMAGELIST largeIcons_ = nullptr; // the shell's, not owned
    UniqueIcon shownIcon_;

    std::vector<ProcessRecord> rows_;
    SortState sort_;
    int selectedRow_ = 1;
    // Version texts of the instances shown so far, by ID and creation time.
    std::map<std::pair<uint32_t, uint64_t>, VersionTexts> versions_;
};

} // namespace tessaly
