// Painting for a status bar whose figures change every second or faster. The common control
// redraws the whole bar, every part's frame and the size grip, whenever one part's text
// changes, and a themed frame is costly to draw. Once installed, the frame (themed or
// classic) is drawn once per bar size and kept; a paint copies the frame where it is needed
// and writes the texts of the parts there. For bars of plain text parts: owner-drawn parts
// and part icons are not drawn.
#pragma once

#include <windows.h>

namespace tessaly {

// Installs the painting on a status bar window for the rest of its life.
bool PaintChangedPartsOnly(HWND statusBar);

} // namespace tessaly
