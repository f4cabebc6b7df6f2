#include "controls/tray_area.h"

#include <random>

namespace tessaly {

namespace {
constexpr const wchar_t* kClassName = L"TessalyTrayArea";

UINT NewIconId() {
    static std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<UINT>(1, 65535)(generator);
}
} // namespace

TrayArea::TrayArea() {
    RegisterClassOnce(kClassName);
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    Create(kClassName, L"", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0);
}

TrayArea::~TrayArea() {
    if (visible_) {
        NOTIFYICONDATAW data = Record(0);
        ::Shell_NotifyIconW(NIM_DELETE, &data);
    }
}

NOTIFYICONDATAW TrayArea::Record(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd();
    data.uID = iconId_;
    data.uFlags = flags;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon_;
    wcsncpy(data.szTip, toolTip_.c_str(), ARRAYSIZE(data.szTip) - 1);
    return data;
}

void TrayArea::Add() {
    iconId_ = NewIconId();
    UINT flags = NIF_MESSAGE;
    if (icon_)
        flags |= NIF_ICON;
    if (!toolTip_.empty())
        flags |= NIF_TIP;
    NOTIFYICONDATAW data = Record(flags);
    ::Shell_NotifyIconW(NIM_ADD, &data);
}

void TrayArea::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    if (visible) {
        Add();
    } else {
        NOTIFYICONDATAW data = Record(0);
        ::Shell_NotifyIconW(NIM_DELETE, &data);
    }
}

void TrayArea::SetIcon(HICON icon) {
    icon_ = icon;
    if (!icon) {
        SetVisible(false);
        return;
    }
    if (visible_) {
        NOTIFYICONDATAW data = Record(NIF_ICON);
        ::Shell_NotifyIconW(NIM_MODIFY, &data);
    }
}

void TrayArea::SetToolTip(std::wstring_view text) {
    std::wstring tip = TrayToolTipText(text, ARRAYSIZE(NOTIFYICONDATAW{}.szTip));
    if (tip == toolTip_)
        return; // the tooltip is refreshed on every pointer move; spare the shell
    toolTip_ = std::move(tip);
    if (visible_) {
        NOTIFYICONDATAW data = Record(NIF_TIP);
        ::Shell_NotifyIconW(NIM_MODIFY, &data);
    }
}

LRESULT TrayArea::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallbackMessage) {
        if (static_cast<UINT>(wParam) != iconId_)
            return 0;
        ::GetCursorPos(&lastPointer_);
        const TrayEvent event = TrayEventFromMouseMessage(LOWORD(lParam));
        switch (event.kind) {
        case TrayEventKind::MouseMove:
            if (MouseMove)
                MouseMove();
            break;
        case TrayEventKind::MouseDown:
            if (MouseDown)
                MouseDown(event.button);
            break;
        case TrayEventKind::MouseUp:
            if (MouseUp)
                MouseUp(event.button);
            break;
        case TrayEventKind::DblClick:
            if (DblClick)
                DblClick();
            break;
        case TrayEventKind::None:
            break;
        }
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        if (visible_)
            Add(); // Explorer restarted and forgot every icon
        return 0;
    }
    return Default(message, wParam, lParam);
}

} // namespace tessaly
