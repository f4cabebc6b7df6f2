// What the notification-area icon makes of the shell's mouse notifications, and its tooltip
// text. Pure.
#pragma once

#include <string>
#include <string_view>

namespace tessaly {

enum class TrayEventKind { None, MouseMove, MouseDown, MouseUp, DblClick };

struct TrayEvent {
    TrayEventKind kind = TrayEventKind::None;
    short button = 0; // 1 left, 2 right; 0 for move and double-click
};

// `mouseMessage` is the mouse message the shell reports (WM_MOUSEMOVE .. WM_RBUTTONDBLCLK).
TrayEvent TrayEventFromMouseMessage(unsigned mouseMessage);

// The tooltip as stored: blanks trimmed, cut to what the shell's record holds.
std::wstring TrayToolTipText(std::wstring_view text, size_t capacity = 128);

// The main program's tooltip from the free-memory figures of the memory panel.
std::wstring MainTrayToolTip(std::wstring_view freeMemory, std::wstring_view freeShare);

} // namespace tessaly
