// The startup list of the main window (View2): the Run-key entries, new ones drawn red and
// bold. The rows are plain data; the list view is virtual. The list keeps its own selection,
// and while shown puts the selected entry's details in the main window's details area.
#pragma once

#include "process/details_area.h"
#include "startup/startup_entry.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <vector>

namespace tessaly {

class StartupPanel {
public:
    void Create(HWND parent, HFONT font, HFONT boldFont, DetailsArea& details);
    bool Created() const { return list_ != nullptr; }
    void SetFonts(HFONT font, HFONT boldFont);
    void Layout(const RECT& area);
    void Show(bool visible);
    bool Visible() const { return visible_; }
    HWND List() const { return list_; }

    // New rows; names marked before stay marked. Keep::Selection keeps the selected entry and the
    // scroll position; otherwise row 1 is selected.
    enum class Keep { Nothing, Selection };
    void SetRows(std::vector<StartupEntry> rows, Keep keep);
    const std::vector<StartupEntry>& Rows() const { return rows_; }
    // The names as the list shows them, in row order.
    std::vector<std::wstring> Names() const;

    // Rows drawn red and bold, one flag per row.
    void Mark(const std::vector<bool>& marks);
    bool Marked(int index) const;

    const StartupEntry* Selected() const;
    int SelectedRow() const { return selectedRow_; } // 1-based
    // Selects a row (0-based). After a load the details' first link reads "Read More about".
    enum class Link { Click, Load };
    void SelectRow(int index, Link link = Link::Click);
    // Where a menu opened from the keyboard goes: below the selected row, on the screen.
    POINT MenuPoint() const;

    // WM_NOTIFY from the list; true when handled.
    bool OnNotify(const NMHDR& header, LRESULT& result);
    std::function<void(POINT screen)> ContextMenu; // right button released over the list

private:
    void ShowDetails(Link link);
    void OnDisplayInfo(NMLVDISPINFOW& info) const;
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;

    HWND list_ = nullptr;
    HFONT font_ = nullptr, boldFont_ = nullptr; // not owned
    DetailsArea* details_ = nullptr;            // the main window's
    bool visible_ = false;
    int exeIcon_ = -1; // "a": a program's plain icon from the shell's list
    std::vector<StartupEntry> rows_;
    std::vector<bool> marks_;
    int selectedRow_ = 1;
};

} // namespace tessaly
