// One icon in the notification area, owned by a hidden top-level window (not message-only,
// so it receives the "TaskbarCreated" broadcast and puts the icon back after Explorer
// restarts). Mouse notifications become four events.
#pragma once

#include "controls/tray_logic.h"
#include "win32/window.h"

#include <shellapi.h>

#include <functional>
#include <string>

namespace tessaly {

class TrayArea final : public Window {
public:
    static constexpr UINT kCallbackMessage = WM_APP + 0x200;

    TrayArea();
    ~TrayArea() override;

    HICON Icon() const { return icon_; }
    // The icon is not owned. Setting none hides the icon.
    void SetIcon(HICON icon);
    const std::wstring& ToolTip() const { return toolTip_; }
    void SetToolTip(std::wstring_view text);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    UINT IconId() const { return iconId_; }

    std::function<void()> MouseMove;
    std::function<void(short button)> MouseDown;
    std::function<void(short button)> MouseUp;
    std::function<void()> DblClick;

    // The pointer position of the last notification, in screen coordinates.
    POINT LastPointer() const { return lastPointer_; }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    NOTIFYICONDATAW Record(UINT flags) const;
    void Add();

    HICON icon_ = nullptr;
    std::wstring toolTip_;
    bool visible_ = false;
    UINT iconId_ = 0;
    UINT taskbarCreated_ = 0;
    POINT lastPointer_{};
};

} // namespace tessaly
