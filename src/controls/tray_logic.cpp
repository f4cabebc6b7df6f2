#include "controls/tray_logic.h"

#include "common/text.h"

namespace tessaly {

TrayEvent TrayEventFromMouseMessage(unsigned mouseMessage) {
    switch (mouseMessage) {
    case 0x0200: // WM_MOUSEMOVE
        return {TrayEventKind::MouseMove, 0};
    case 0x0201: // WM_LBUTTONDOWN
        return {TrayEventKind::MouseDown, 1};
    case 0x0202: // WM_LBUTTONUP
        return {TrayEventKind::MouseUp, 1};
    case 0x0203: // WM_LBUTTONDBLCLK
    case 0x0206: // WM_RBUTTONDBLCLK
        return {TrayEventKind::DblClick, 0};
    case 0x0204: // WM_RBUTTONDOWN
        return {TrayEventKind::MouseDown, 2};
    case 0x0205: // WM_RBUTTONUP
        return {TrayEventKind::MouseUp, 2};
    default:
        return {};
    }
}

std::wstring TrayToolTipText(std::wstring_view text, size_t capacity) {
    std::wstring tip = Trim(text);
    if (capacity > 0 && tip.size() >= capacity)
        tip.resize(capacity - 1); // room for the terminating NUL
    return tip;
}

std::wstring MainTrayToolTip(std::wstring_view freeMemory, std::wstring_view freeShare) {
    return L"Tessaly - " + std::wstring(freeMemory) + L" free " + std::wstring(freeShare);
}

} // namespace tessaly
