// frmstatus, pelmora's window: it lives hidden behind its notification-area icon and, shown,
// reports the machine's figures four times a second at the right edge of the screen.
#pragma once

#include "controls/tray_area.h"
#include "monitor/monitor_probes.h"
#include "monitor/status_rows.h"
#include "run/run_dialog.h"
#include "win32/handles.h"
#include "win32/window.h"

#include <functional>
#include <memory>

namespace tessaly {

// Messages a test or a second tool may send to the status window.
inline constexpr UINT kQueryStatusTray = WM_APP + 0x311; // MAKELRESULT(icon id, visible)

class StatusWindow final : public Window {
public:
    static constexpr UINT_PTR kTimer1 = 1;
    static constexpr UINT kTimer1Interval = 250;

    explicit StatusWindow(std::unique_ptr<MonitorProbes> probes = SystemMonitorProbes());
    ~StatusWindow() override;
    bool Start();

    // For tests that drive the window in their own process.
    const StatusRows& Rows() const { return rows_; }
    TrayArea& Tray() { return TrayArea1; }
    HMENU IconMenu() const { return ::GetSubMenu(menu_.get(), 0); }
    RunDialog& RunNewTask() { return frmShell; }
    // The menu pops up through this; tests replace it to pick an item.
    std::function<void(HMENU menu, POINT at)> PopUpMenu;
    // Whether closing the window ends the thread's message loop (not for a test's window).
    bool EndsProgram = true;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void CreateFonts();
    void SetFonts();
    void Layout();
    void Place();
    void Tick();
    void ShowRows(StatusRows::Changes changes);
    void RefreshAll();
    void ShowWindowNow();
    void HideToTray();
    void OnTrayMouseDown(short button);
    void OnCommand(int id);
    void StartVarnok();
    void OpenHomePage();
    void Exit();
    LRESULT ColourStatic(HDC dc, HWND control);
    void DrawPicture(const DRAWITEMSTRUCT& item);

    std::unique_ptr<MonitorProbes> probes_;
    StatusRows rows_;
    TotalsReading totals_;
    TrayArea TrayArea1;
    RunDialog frmShell;
    bool inTick_ = false;
    HWND captions_[kRowCount] = {};
    HWND values_[kRowCount] = {};
    HWND bars_[kRowCount] = {};
    struct Shown { // what the row's controls show now
        std::wstring text;
        bool alert = false;
        int bar = 0;
    };
    Shown shown_[kRowCount];
    HWND Image1 = nullptr, Image2 = nullptr, Label19 = nullptr;
    UniqueIcon icon_;
    UniqueMenu menu_;
    UniqueFont font_, titleFont_, linkFont_;
    UniqueBrush background_, black_, red_, header_;
};

// Named so a second pelmora finds the first one.
inline constexpr const wchar_t* kPelmoraInstanceName = L"Local\\Orvix.Tessaly.pelmora";

} // namespace tessaly
