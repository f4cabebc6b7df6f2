// The memory panel (Frame1) of the main window: physical memory as figures, a bar of the free
// share and a scale of the total.
#pragma once

#include "controls/chameleon_button.h"
#include "controls/xp_progress_bar.h"
#include "memory/memory_figures.h"
#include "win32/handles.h"

#include <windows.h>

namespace tessaly {

class MemoryPanel {
public:
    void Create(HWND parent, HFONT font, HFONT boldFont);
    void SetFonts(HFONT font, HFONT boldFont);
    void Layout(const RECT& area, int dpi);
    bool Created() const { return parent_ != nullptr; }
    void Show(bool visible);

    // Puts a reading on the controls; texts that did not change are not touched.
    void Update(const MemoryLabels& labels, uint64_t pageFileAvailable);
    bool Visible() const { return visible_; }
    const XpProgressBar& Graph() const { return ProgressBar1; }

private:
    HWND parent_ = nullptr;
    HWND graphCaption_ = nullptr;
    XpProgressBar ProgressBar1; // the free share, 0-100
    HWND scale_[5] = {};        // Label2(3), Label2(15), Label2(9), Label2(16), "0 Mb"
    HWND captions_[5] = {};
    HWND LblMaxPhyicalRam = nullptr;
    HWND ProgressBar2 = nullptr;
    HWND lblavailableRAM = nullptr;
    HWND Label2_4 = nullptr;
    HWND Label2_5 = nullptr;
    HWND Label2_7 = nullptr;
    HWND pageFile_ = nullptr;
    ChameleonButton Command1; // "Optimize", kept disabled
    HWND tooltip_ = nullptr;
    bool visible_ = false;
    // What the controls show, so a tick compares data rather than asking every control.
    MemoryLabels shown_;
    std::wstring shownPageFile_, shownScaleTop_;
    int shownShare_ = -1;
};

} // namespace tessaly
