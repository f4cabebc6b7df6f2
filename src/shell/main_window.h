// Form1, the main window of varnok: start-up, the process panel and its commands, the
// hotkey, hiding into the notification area, and the way out.
#pragma once

#include "controls/drawn_text.h"
#include "controls/nav_bar.h"
#include "controls/tray_area.h"
#include "memory/memory_figures.h"
#include "memory/memory_options_panel.h"
#include "memory/memory_panel.h"
#include "probes/cpu_sampler.h"
#include "process/details_area.h"
#include "process/modules_dialog.h"
#include "process/process_list.h"
#include "process/process_panel.h"
#include "process/process_refresh.h"
#include "report/inventory.h"
#include "scan/companion.h"
#include "run/run_dialog.h"
#include "scan/file_lookup.h"
#include "scan/scan_window.h"
#include "settings/registry.h"
#include "shell/start_options.h"
#include "shell/wait_window.h"
#include "startup/startup_panel.h"
#include "startup/startup_snapshot.h"
#include "sysinfo/about_box.h"
#include "sysinfo/system_info.h"
#include "win32/background_task.h"
#include "win32/handles.h"
#include "win32/platform.h"
#include "win32/window.h"

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tessaly {

// Messages a test or a second tool may send to the main window.
inline constexpr UINT kQueryTrayIcon = WM_APP + 0x310; // returns MAKELRESULT(icon id, visible)
// Returns 1 while the program-file inventory runs, 0 otherwise.
inline constexpr UINT kQueryInventory = WM_APP + 0x311;
// wParam 0: MAKELRESULT(rows of the startup list, rows marked new); 1: whether it is shown.
inline constexpr UINT kQueryStartupList = WM_APP + 0x312;

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
    // The snapshot's lists (List1 / List2), read on the loading thread with every table load.
    static std::vector<SnapshotEntry> FillList();

    // For tests that drive the window in their own process.
    ProcessPanel& Panel() { return panel_; }
    StartupPanel& Startup() { return startupPanel_; }
    // A startup load, its check or its alert is under way.
    bool StartupBusy() const { return startupRun_.active; }
    int AlertPending() const { return StartupAlertPending; }
    const std::wstring& ViewTitle() const { return Label2_26.Text(); }
    HMENU ProcessMenu() const { return ::GetSubMenu(contextMenu_.get(), 0); }
    ScanWindow* SecurityScan() const { return Form6.get(); }
    const FileLookups& Lookups() const { return lookups_; }
    bool Loading() const { return loader_.Running() || !firstLoadDone_; }
    std::wstring Label4Text() const { return WindowText(Label4); }

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct LoadResult {
        bool initialised = false;
        clsSysInfo sysInfo;
        std::vector<ProcessRecord> rows;
        std::vector<SnapshotEntry> snapshot;
        ProcessPanel::Keep keep = ProcessPanel::Keep::Nothing;
    };

    void FinishStart();
    void PaintCaptions(HDC dc);
    void CreateControls();
    void CreateFonts();
    void Layout();
    void StartPelmora();
    void ReadSettings();
    void Centre();
    void InstallHotkey();
    void UnregisterHotkeys();
    void LoadProcesses(ProcessPanel::Keep keep);
    void OnProcessesLoaded(std::unique_ptr<LoadResult> result);
    void OnCommand(int id);
    void ShowMainMenu(POINT at);
    void ShowProcessMenu(POINT at);
    void TerminateSelected();
    void SetSelectedPriority(DWORD priorityClass);
    void ShowModules();
    void ExploreSelected();
    void OpenSecurityScan();
    void LookUpSelectedProcess();
    void OpenCountryPage();
    void OpenOptions();
    void ShowFromTray();
    void ToggleByHotkey();
    void OnTrayMouseMove();
    void GetMemoryStatus();
    void ShowMemoryFigures();
    bool MemoryPanelSeen() const;
    void OnMemoryTick();
    void OnStatusTick();
    void UpdateStatusBar(bool readCpu = true);
    void SetStatusText(int part, std::wstring text);
    void CheckStartupEntries();
    void SaveLogfile();
    void ShowAbout();
    void ShowProcessMonitor();
    void ShowHelp();
    CompanionActions Companions();
    bool HiddenInTray() const;
    void MaybeRunInventory();
    void OnInventoryDone(std::unique_ptr<Inventory::Outcome> outcome);
    void ShowInventoryProgress(bool running);
    std::wstring TrayToolTip();
    // The startup list: loads (each run reads the Run keys twice, as the check always has),
    // the change check with its alert, acceptance, ending an entry's program and removal.
    void ShowStartupPanel();
    void StartStartupRun(bool showPanel);
    void LoadStartupOnce();
    void OnStartupLoaded(std::unique_ptr<std::vector<StartupEntry>> rows);
    void CheckStartupChanges();
    void OnStartupAlertWait();
    void AfterStartupCheck();
    void AlertNewStartupEntries();
    void ShowStartupMenu(POINT at);
    void AcceptCurrentStartup();
    void RemoveStartupEntry();
    void TerminateStartupProgram();
    void LookUpStartupEntry(); // b1 and the details' link: the entry's lookup page
    void WatchRunKeys();
    void OnRunKeysChanged();
    void ShowRowCount(); // lblProcessNo: the rows of the list shown
    // Ends every process of the name, then the one of `pid` (0: none); false when this program
    // itself is among them (the caller then closes the window).
    bool EndProcesses(const std::wstring& name, DWORD pid);
    enum class View { Processes, Memory, MemoryOptions, Startup };
    void ShowView(View view);
    View view_ = View::Processes; // as the window is made
    // Counts view changes, so work that ends later shows its view only when the user has not
    // gone to another one meanwhile.
    unsigned viewChanges_ = 0;
    unsigned rebuildViewAt_ = 0; // viewChanges_ when the last rebuild of the process list began
    LPARAM laidOutSize_ = 0;     // client size of the last layout, as WM_SIZE gives it

    StartOptions options_;
    SettingsStore& settings_;
    std::optional<TrayArea> TrayArea1; // made in Start, after the table read has begun
    WaitWindow Form3;
    ProcessPanel panel_;        // Frame5
    DetailsArea details_;       // of the list shown
    StartupPanel startupPanel_; // View2
    StartupSnapshot startupSnapshot_;
    BackgroundTask<std::vector<StartupEntry>> startupLoader_;
    struct StartupRun {
        bool active = false;
        int loadsLeft = 0;
        bool showPanel = false;   // the button's run: select row 1 and show the panel at the end
        unsigned viewAtStart = 0; // viewChanges_ then: another view chosen since cancels the show
        std::vector<bool> marks;
    } startupRun_;
    std::vector<std::unique_ptr<RegistryChangeWatch>> runKeyWatches_;
    MemoryPanel memoryPanel_; // Frame1
    MemoryOptionsPanel memoryOptions_;
    MemoryLabels memory_; // the last memory reading, as the panel shows it
    uint64_t pageFileAvailable_ = 0;
    double memoryTotal_ = -1;
    LowMemoryWatch lowMemory_;
    WatchedSettingsKey ramOptions_; // "trigg" and "3", read every memory tick
    std::unique_ptr<ModulesDialog> frmModules;
    std::unique_ptr<ScanWindow> Form6;
    FileLookups lookups_; // "Read more about" pages being prepared
    RunDialog frmShell;   // stays loaded once opened
    std::unique_ptr<CpuSampler> CpuSampler_;
    clsSysInfo SysInfo;
    std::vector<SnapshotEntry> snapshot_; // List1 / List2
    ProcessRowSource rowSource_;          // used by the loader thread only
    BackgroundTask<LoadResult> loader_;
    std::thread companion_; // starting pelmora through the shell
    std::unique_ptr<AboutBox> Form4;
    // The inventory outlives its worker: the task, declared after it, waits for the worker
    // when the window goes.
    Inventory inventory_;
    BackgroundTask<Inventory::Outcome> inventoryTask_;
    bool inventoryTried_ = false; // once per run, done or not
    bool comReady_ = false;

    int AutoRefresh = 0;
    double RefreshSeconds = 15;
    int StartupMonitorOn = 0;
    int StartupAlertPending = 0;
    int HotkeyCount = 0;
    bool firstLoadDone_ = false;
    bool rebuildPending_ = false; // asked for while another load ran

    HWND lblProcessNo = nullptr;
    HWND Label4 = nullptr;   // which list the process panel shows
    HWND Command6 = nullptr; // "Check All Processes Online Now"
    HWND Combo1 = nullptr;   // country facts
    DrawnText Label2_26;     // the view's title
    DrawnText Label8;        // and what it is for
    HWND StatusBar1 = nullptr;
    std::wstring shownStatus_[4]; // what the bar shows
    struct StatusFigures {        // the figures behind it; -1 when none is shown
        long long processes = -1, cpu = -1, load = -1;
    } statusFigures_;
    NavBar navBar_;
    RECT processCaption_{};
    UniqueFont font_, titleFont_, boldFont_;
    UniqueBrush navBrush_;
    UniqueIcon bigIcon_, smallIcon_;
    UniqueMenu menu_, contextMenu_, startupMenu_;
};

} // namespace tessaly
