// frmstatus, pelmora's window: it lives hidden behind its notification-area icon.
#pragma once

#include "controls/tray_area.h"
#include "win32/handles.h"
#include "win32/window.h"

namespace tessaly {

class StatusWindow final : public Window {
public:
    bool Start();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowIconMenu(POINT at);
    void StartVarnok();
    void Exit();

    TrayArea TrayArea1;
    UniqueIcon icon_;
    UniqueMenu menu_;
};

// Named so a second pelmora finds the first one.
inline constexpr const wchar_t* kPelmoraInstanceName = L"Local\\Orvix.Tessaly.pelmora";

} // namespace tessaly
