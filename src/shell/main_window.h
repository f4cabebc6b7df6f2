// Form1, the main window of varnok: start-up, the process list, the hotkey, hiding into the
// notification area, and the way out.
#pragma once

#include "controls/tray_area.h"
#include "probes/cpu_sampler.h"
#include "process/process_record.h"
#include "settings/registry.h"
#include "shell/start_options.h"
#include "shell/wait_window.h"
#include "sysinfo/system_info.h"
#include "win32/background_task.h"
#include "win32/handles.h"
#include "win32/window.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace tessaly {

// Messages a test or a second tool may send to the main window.
inline constexpr UINT kQueryTrayIcon = WM_APP + 0x310; // returns MAKELRESULT(icon id, visible)

class MainWindow final : public Window {
public:
    MainWindow(StartOptions options, SettingsStore& settings);
    ~MainWindow() override;

    // Creates the window and runs the start-up sequence; false when no window could be made.
    bool Start();

    // What the process snapshot holds: one entry per process whose name contains ".".
    struct SnapshotEntry {
        std::wstring name;
        uint32_t processId = 0;
        uint32_t threadCount = 0;
    };
    void FillList();

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct LoadResult {
        bool initialised = false;
        clsSysInfo sysInfo;
    };

    void CreateControls();
    void CreateFonts();
    void Layout();
    void StartPelmora();
    void ReadSettings();
    void Centre();
    void InstallHotkey();
    void UnregisterHotkeys();
    void LoadProcesses();
    void OnProcessesLoaded(std::unique_ptr<LoadResult> result);
    void ShowRows();
    void OnCommand(int id);
    void ShowMainMenu(POINT at);
    void OpenOptions();
    void ShowFromTray();
    void ToggleByHotkey();
    void OnTrayMouseMove();
    void OnListDisplayInfo(NMLVDISPINFOW& info);

    StartOptions options_;
    SettingsStore& settings_;
    TrayArea TrayArea1;
    WaitWindow Form3;
    std::unique_ptr<CpuSampler> CpuSampler_;
    clsSysInfo SysInfo;
    std::vector<SnapshotEntry> snapshot_; // List1 / List2
    std::vector<ProcessRecord> rows_;     // what lstProcesses shows
    BackgroundTask<LoadResult> loader_;
    int SelectedRow = 1;

    int AutoRefresh = 0;
    double RefreshSeconds = 15;
    int StartupMonitorOn = 0;
    int StartupAlertPending = 0;
    int HotkeyCount = 0;
    int LowMemoryFlag = 0;
    int LowMemoryState = 0;
    bool firstLoadDone_ = false;

    HWND lstProcesses = nullptr;
    HWND lblProcessNo = nullptr;
    HWND lblProcessCaption = nullptr;
    HWND Label4 = nullptr;
    HWND navButtons_[4] = {};
    UniqueGdiObject font_, titleFont_;
    UniqueGdiObject navBrush_;
    UniqueIcon bigIcon_, smallIcon_;
    UniqueMenu menu_;
};

} // namespace tessaly
