// The details area under the lists: the selected file's icon, name, size and version texts,
// with the "Read more about" and "Terminate" links. One area serves whichever list is shown;
// that list puts its selected row's details in.
#pragma once

#include "controls/drawn_text.h"
#include "controls/free_link.h"
#include "process/process_view.h"
#include "win32/handles.h"

#include <windows.h>
#include <commctrl.h>

namespace tessaly {

// The version texts of a file; all empty for an empty path or a file without them.
VersionTexts ReadVersionTexts(const std::wstring& path);

// The shell's image list of small or large icons (SHGFI_SMALLICON / SHGFI_LARGEICON), shared
// by the whole system; `exeIcon` receives the index of a program file's plain icon.
HIMAGELIST SystemImageList(UINT sizeFlag, int* exeIcon = nullptr);

class DetailsArea {
public:
    void Create(HWND parent, HFONT font, HFONT boldFont);
    void SetFonts(HFONT font, HFONT boldFont);
    // The height the area takes at `dpi`, and its place.
    static int Height(int dpi);
    void Layout(const RECT& box, int dpi);
    void Show(bool visible);
    bool Visible() const { return visible_; }

    // The texts and the file's icon to show (the icon drawn at its own size).
    void Set(const ProcessDetails& details, UniqueIcon icon);
    const ProcessDetails& Shown() const { return shown_; }
    HICON ShownIcon() const { return icon_.get(); }

    // Draws the texts and the icon on the parent's background, with the parent's font and
    // text colour selected into `dc`; the links are windows of their own.
    void Paint(HDC dc) const;

    // The links (IDC_FREELINK1 "Read more about", IDC_FREELINK2 "Terminate"); a click sends
    // the parent WM_COMMAND with the link's id.
    const FreeLink& ReadMore() const { return readMore_; }
    const FreeLink& Terminate() const { return terminate_; }

private:
    HWND parent_ = nullptr;
    HFONT boldFont_ = nullptr; // the name's; not owned
    RECT iconBox_{};           // Image3
    DrawnText name_;           // Label2(19)
    DrawnText captions_[4] = {DrawnText(L"File size:"), DrawnText(L"Company:"),
                              DrawnText(L"Description:"), DrawnText(L"Version:")};
    // Label9 (size), Label12 (company), Label11 (description), Label10 (version)
    DrawnText values_[4];
    FreeLink readMore_;  // FreeLink1
    FreeLink terminate_; // FreeLink2
    bool visible_ = true;
    ProcessDetails shown_;
    UniqueIcon icon_;
    SIZE iconSize_{};
};

} // namespace tessaly
