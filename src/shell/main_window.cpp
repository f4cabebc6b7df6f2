#include "shell/main_window.h"

#include "common/display_text.h"
#include "common/text.h"
#include "controls/status_bar_paint.h"
#include "memory/memory_figures.h"
#include "probes/cpu_sources.h"
#include "probes/exit_windows.h"
#include "process/process_control.h"
#include "process/process_control_logic.h"
#include "process/process_query.h"
#include "process/process_refresh.h"
#include "process/process_view.h"
#include "report/log_file.h"
#include "scan/lookup_text.h"
#include "scan/opener.h"
#include "shell/status_texts.h"
#include "settings/options_dialog.h"
#include "settings/options_resource.h"
#include "settings/setting_names.h"
#include "shell/resource.h"
#include "startup/run_keys.h"
#include "win32/platform.h"
#include "win32/text_file.h"

#include <objbase.h>
#include <shellapi.h>
#include <shobjidl.h>
#include <tlhelp32.h>
#include <windowsx.h>

#include <thread>
#include <utility>

namespace tessaly {

using namespace settings;

namespace {

constexpr const wchar_t* kClassName = L"TessalyMainWindow";
constexpr const wchar_t* kCaption = L"Tessaly";
constexpr UINT_PTR kTimer1 = 1; // memory figures, 100 ms
constexpr UINT_PTR kTimer3 = 3; // automatic refresh and startup check
constexpr UINT_PTR kTimer4 = 4; // status bar, 1 s
constexpr UINT_PTR kWaitTimer = 30;
// Starts the companion program once the window has drawn its first list: a timer message comes
// only after every paint due, so the start does not compete with them.
constexpr UINT_PTR kCompanionTimer = 31;
constexpr UINT kWaitDelayMs = 250;
constexpr UINT kProcessesLoaded = WM_APP + 0x301;
constexpr UINT kFinishStart = WM_APP + 0x302;
constexpr UINT kInventoryDone = WM_APP + 0x303;
constexpr UINT kStartupLoaded = WM_APP + 0x304;
constexpr UINT kRunKeysChanged = WM_APP + 0x305;
constexpr UINT_PTR kStartupWaitTimer = 40;  // a load's one-second wait before its check
constexpr UINT_PTR kStartupAlertTimer = 41; // and the check's before its alert
constexpr UINT_PTR kRunKeysTimer = 42;      // a burst of Run-key changes, taken as one
constexpr UINT kRunKeysDelayMs = 250;
constexpr int kNavWidth96 = 150;
constexpr COLORREF kNavColour = RGB(0x2B, 0x3A, 0x55);
constexpr COLORREF kNavHeadingColour = RGB(0xA9, 0xB8, 0xD0);

// The navigation column: section captions (id 0) and buttons with their drawn style
// (ButtonType) and colour scheme. Scheme 2 buttons take their colours from the column's.
struct NavItem {
    int id;
    const wchar_t* caption;
    int32_t style = 0, scheme = 0;
};
constexpr NavItem kNavItems[] = {
    {0, L"PROCESSES"},
    {IDC_BTN_PROCESS, L"Process", 8, 2},
    {IDC_BTN_PROCESS_MONITOR, L"Process Monitor", 8, 2},
    {IDC_BTN_KILL, L"Kill Process", 2, 1},
    {IDC_BTN_SAVE_LOGFILE, L"Save Logfile", 8, 2},
    {0, L"STARTUP"},
    {IDC_BTN_STARTUP_MONITOR, L"Startup Monitor", 8, 2},
    {0, L"MEMORY"},
    {IDC_BTN_MAIN_WINDOW, L"Main Window", 8, 2},
    {IDC_BTN_MEMORY_OPTIONS, L"Options", 8, 2},
    {0, L"SECURITY"},
    {IDC_BTN_SECURITY_SCAN, L"Security Scan", 8, 2},
    {0, L"TESSALY"},
    {IDC_BTN_SYSTEM_INFORMATION, L"System Information", 8, 2},
    {IDC_BTN_OPTIONS, L"Options", 8, 2},
    {IDM_A4_CHECK_FOR_UPDATES, L"Check For Updates", 8, 2},
    {IDC_BTN_MENU, L"Menu", 9, 2},
    {IDC_LBL_HELP, L"Help", 8, 2},
    {IDC_BTN_END, L"End", 14, 2},
};
constexpr const wchar_t* kStartupNote =
    L"Programs that start with Windows. Those added since you last allowed them are red.";
constexpr Colour kNavButtonFace = 0x664634; // a shade lighter than the column
constexpr Colour kNavButtonText = 0xF6EEE8;
constexpr Colour kNavButtonTextOver = 0xFFFFFF;

// A button's saved design, as the form keeps it.
PropertyBag NavDesign(const NavItem& item) {
    PropertyBag design{{L"BTYPE", item.style}, {L"COLTYPE", item.scheme}};
    if (item.scheme == 2) {
        design.WriteColour(L"BCOL", kNavButtonFace, 0);
        design.WriteColour(L"FCOL", kNavButtonText, 0);
        design.WriteColour(L"FCOLO", kNavButtonTextOver, 0);
    }
    return design;
}
constexpr const wchar_t* kProcessesNote =
    L"View all running programs on your computer, and check if these files are safe to run or not!";

constexpr DWORD kPriorityClasses[] = {IDLE_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS,
                                      HIGH_PRIORITY_CLASS, REALTIME_PRIORITY_CLASS};
constexpr int kPriorityItems[] = {IDM_P1_IDLE, IDM_P2_NORMAL, IDM_P3_HIGH, IDM_P4_REALTIME};

} // namespace

MainWindow::MainWindow(StartOptions options, SettingsStore& settings)
    : options_(options), settings_(settings), startupSnapshot_(settings, ProgramFolder()),
      ramOptions_(settings, kRamOptKey), Label2_26(L"Process Manager"), Label8(kProcessesNote) {}

MainWindow::~MainWindow() {
    if (companion_.joinable())
        companion_.join();
}

bool MainWindow::Start() {
    // The process table is read while the windows are being made. Begun before any of them:
    // the first window of a program sets up its connection to the display, which some
    // systems take a while over.
    LoadProcesses(ProcessPanel::Keep::Nothing);
    TrayArea1.emplace();
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    bigIcon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VARNOK),
                                                   IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                                   ::GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VARNOK),
                                                     IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), 0)));
    navBrush_.reset(::CreateSolidBrush(kNavColour));
    RegisterClassOnce(kClassName, bigIcon_.get(), ::GetSysColorBrush(COLOR_WINDOW));
    if (!Create(kClassName, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_APPWINDOW,
                CW_USEDEFAULT, CW_USEDEFAULT, 0, 0))
        return false;
    loader_.SetTarget(hwnd());
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    ::SetWindowPos(hwnd(), nullptr, 0, 0, Scale(hwnd(), 900), Scale(hwnd(), 620),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    menu_.reset(::LoadMenuW(instance, MAKEINTRESOURCEW(IDM_W2)));
    contextMenu_.reset(::LoadMenuW(instance, MAKEINTRESOURCEW(IDM_WW)));
    startupMenu_.reset(::LoadMenuW(instance, MAKEINTRESOURCEW(IDM_WWW)));
    CreateFonts();
    CreateControls();
    Layout();

    TrayArea1->SetIcon(smallIcon_.get());
    TrayArea1->SetToolTip(kCaption);
    TrayArea1->DblClick = [this] { ShowFromTray(); };
    TrayArea1->MouseDown = [this](short button) {
        if (button == 2 && !panel_.Rows().empty())
            ShowMainMenu(TrayArea1->LastPointer());
    };
    TrayArea1->MouseMove = [this] { OnTrayMouseMove(); };

    Centre();
    if (options_.startHidden) {
        // Created minimised: the window goes straight into the notification area.
        TrayArea1->SetVisible(true);
    } else {
        // No forced paint here: the first paint comes after the rows, when the table is read by
        // then, so the window is drawn once and whole.
        ::ShowWindow(hwnd(), SW_SHOWNORMAL);
        ::SetForegroundWindow(hwnd());
        // "Please wait" only when loading is slow enough to be noticed; a window that flashes
        // up and away at once is worse than none.
        if (Loading())
            ::SetTimer(hwnd(), kWaitTimer, kWaitDelayMs, nullptr);
    }
    // The rest of start-up follows once the window is on the screen (and, when the table is
    // already read, its rows are in).
    ::PostMessageW(hwnd(), kFinishStart, 0, 0);
    return true;
}

void MainWindow::PaintCaptions(HDC dc) {
    const int mode = ::SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = ::SelectObject(dc, font_.get());
    const COLORREF oldColour = ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
    // Two lines, so the note reads whole at the default size; a smaller window cuts the last.
    Label8.Paint(dc, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS);
    ::SetTextColor(dc, kNavColour);
    ::SelectObject(dc, titleFont_.get());
    Label2_26.Paint(dc, DT_LEFT | DT_TOP);
    ::SelectObject(dc, font_.get());
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    if (view_ == View::Processes || view_ == View::Startup)
        ::DrawTextW(dc, view_ == View::Processes ? L"Running processes:" : L"Startup programs:", -1,
                    &processCaption_, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX | DT_TOP);
    details_.Paint(dc);
    ::SetTextColor(dc, oldColour);
    ::SelectObject(dc, oldFont);
    ::SetBkMode(dc, mode);
}

void MainWindow::FinishStart() {
    CpuSampler_ = CreateCpuSampler();
    CpuSampler_->Initialize();
    ReadSettings();
    ::SetTimer(hwnd(), kTimer3, RefreshIntervalMs(RefreshSeconds), nullptr);
    lowMemory_ = LowMemoryWatch{};
    InstallHotkey();
    GetMemoryStatus();
    ::SetTimer(hwnd(), kTimer1, 100, nullptr);
    ::SetTimer(hwnd(), kTimer4, 1000, nullptr);
    if (StartupMonitorOn == 1)
        WatchRunKeys();
}

void MainWindow::CreateFonts() {
    NONCLIENTMETRICSW metrics{sizeof metrics};
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW base = metrics.lfMessageFont;
    // The system font is given for the system DPI; this window may sit on another monitor.
    const int systemDpi = static_cast<int>(WindowDpi(nullptr));
    base.lfHeight = ::MulDiv(base.lfHeight, static_cast<int>(WindowDpi(hwnd())), systemDpi);
    font_.reset(::CreateFontIndirectW(&base));
    LOGFONTW bold = base;
    bold.lfWeight = FW_BOLD;
    boldFont_.reset(::CreateFontIndirectW(&bold));
    LOGFONTW title = base;
    title.lfHeight = base.lfHeight * 16 / 10;
    title.lfWeight = FW_SEMIBOLD;
    titleFont_.reset(::CreateFontIndirectW(&title));
}

void MainWindow::CreateControls() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        HWND control =
            ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return control;
    };
    // Fixed captions are drawn with the background, and the navigation buttons by one
    // window, rather than each made a window: every child window makes showing and moving
    // the main window dearer.
    navBar_.Create(hwnd(), IDC_NAVBAR, {kNavColour, kNavHeadingColour}, font_.get());
    lblProcessNo = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, IDC_LBLPROCESSNO);
    Label4 = child(L"STATIC", L"Process Monitor", SS_RIGHT | SS_NOPREFIX, IDC_LABEL4);
    ::SendMessageW(Label4, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
    Command6 = child(L"BUTTON", L"Check All Processes Online Now", BS_PUSHBUTTON | WS_TABSTOP,
                     IDC_BTN_CHECK_ALL_ONLINE);
    Combo1 = child(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, IDC_COMBO1);
    for (const wchar_t* country : kCountries)
        ::SendMessageW(Combo1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(country));
    ::SendMessageW(Combo1, CB_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(L"Country facts"));
    StatusBar1 = child(STATUSCLASSNAMEW, L"", SBARS_SIZEGRIP, IDC_STATUSBAR1);
    PaintChangedPartsOnly(StatusBar1); // a figure changes every second
    details_.Create(hwnd(), font_.get(), boldFont_.get());
    panel_.Create(hwnd(), font_.get(), details_);
    panel_.ContextMenu = [this](POINT at) { ShowProcessMenu(at); };
    // The memory views are made when first shown, so start-up does not wait for them.
    memoryOptions_.Saved = [this] { InstallHotkey(); };
}

void MainWindow::ShowView(View view) {
    // The view on the screen already (the window is made showing the processes, and every
    // load of the table asks for them): nothing to move or to draw again.
    if (view == view_)
        return;
    view_ = view;
    ++viewChanges_;
    if (view == View::Memory && !memoryPanel_.Created())
        memoryPanel_.Create(hwnd(), font_.get(), boldFont_.get());
    if (view == View::MemoryOptions && !memoryOptions_.Created())
        memoryOptions_.Create(hwnd(), font_.get(), settings_);
    details_.Show(view == View::Processes || view == View::Startup);
    panel_.Show(view == View::Processes);
    memoryPanel_.Show(view == View::Memory);
    memoryOptions_.Show(view == View::MemoryOptions);
    startupPanel_.Show(view == View::Startup);
    if (view == View::Memory)
        ShowMemoryFigures();
    const wchar_t* title = view == View::Processes ? L"Process Manager"
                           : view == View::Memory  ? L"Memory Optimizer"
                           : view == View::Startup ? L"Startup Monitor"
                                                   : L"Options";
    const wchar_t* note =
        view == View::Processes ? kProcessesNote
        : view == View::Startup ? kStartupNote
        : view == View::Memory
            ? L"Optimize Ram will free up physical ram used on your computer. To erase "
              L"memory, use total amount of memory installed in the computer."
            : L"Set Memory optimization options";
    Label2_26.SetText(hwnd(), title);
    Label8.SetText(hwnd(), note);
    const bool listed = view == View::Processes || view == View::Startup;
    ::ShowWindow(lblProcessNo, listed ? SW_SHOW : SW_HIDE);
    ::ShowWindow(Label4, listed ? SW_SHOW : SW_HIDE);
    // Label4 names the list shown.
    if (listed)
        ::SetWindowTextW(Label4, view == View::Startup ? L"Startup Monitor" : L"Process Monitor");
    ShowRowCount();
    Layout();
}

void MainWindow::Layout() {
    // Sizing the window before its controls are made (at start-up) has nothing to lay out.
    if (!StatusBar1)
        return;
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    laidOutSize_ = MAKELPARAM(client.right, client.bottom);
    const auto s = [&](int v) { return Scale(hwnd(), v); };
    ::SendMessageW(StatusBar1, WM_SIZE, 0, 0);
    RECT status{};
    ::GetWindowRect(StatusBar1, &status);
    const int statusHeight = status.bottom - status.top;
    const int parts[] = {s(190), s(360), s(540), -1};
    ::SendMessageW(StatusBar1, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(parts));
    client.bottom -= statusHeight;

    const int navWidth = s(kNavWidth96), margin = s(12), buttonHeight = s(26);
    int y = s(12);
    std::vector<NavBar::Item> navItems;
    for (const NavItem& item : kNavItems) {
        if (item.id == 0) {
            y += navItems.empty() ? 0 : s(10);
            navItems.push_back({0, item.caption, {margin, y, navWidth - margin, y + s(16)}});
            y += s(18);
        } else {
            navItems.push_back({item.id,
                                item.caption,
                                {margin, y, navWidth - margin, y + buttonHeight},
                                NavDesign(item)});
            y += buttonHeight + s(3);
        }
    }
    ::MoveWindow(navBar_.hwnd(), 0, 0, navWidth, client.bottom, TRUE);
    navBar_.SetItems(std::move(navItems));
    const int left = navWidth + margin, right = client.right - margin;
    Label2_26.Move(hwnd(), {left, s(10), left + s(300), s(40)});
    // The country list and the online check sit at the right of the title line.
    ::MoveWindow(Command6, right - s(210), s(10), s(210), s(26), TRUE);
    ::MoveWindow(Combo1, right - s(420), s(11), s(200), s(300), TRUE);
    // The note takes the whole width where the process count is not shown.
    const bool counted = view_ == View::Processes || view_ == View::Startup;
    Label8.Move(hwnd(), {left, s(40), right - (counted ? s(240) : 0), s(74)});
    processCaption_ = {right - s(230), s(40), right - s(60), s(58)};
    ::MoveWindow(lblProcessNo, right - s(56), s(40), s(56), s(18), TRUE);
    // Under the count, above the list: the title line holds the online check.
    ::MoveWindow(Label4, right - s(240), s(58), s(240), s(18), TRUE);
    const int dpi = static_cast<int>(WindowDpi(hwnd()));
    const RECT panel{left, s(78), right, client.bottom - margin};
    // The lists stand above the details area they share.
    const RECT details{left, panel.bottom - DetailsArea::Height(dpi), right, panel.bottom};
    const RECT list{left, panel.top, right, details.top - s(10)};
    panel_.Layout(list);
    if (startupPanel_.Created())
        startupPanel_.Layout(list);
    details_.Layout(details, dpi);
    memoryPanel_.Layout(panel, dpi);
    memoryOptions_.Layout(panel, dpi);
    ::InvalidateRect(hwnd(), nullptr, TRUE); // the drawn captions move with the layout
}

void MainWindow::StartPelmora() {
    // On a thread of its own: the shell takes its time over a start, and the window should
    // not wait for it. Nothing of the window is used there. The window waits for the thread
    // when it closes, so no start is still under way once it is gone.
    if (companion_.joinable())
        companion_.join();
    companion_ = std::thread([folder = ProgramFolder()] {
        const std::wstring program = folder + L"\\pelmora.exe";
        // A missing companion is no reason to trouble the user.
        if (::GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES)
            return;
        const HRESULT com =
            ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        ::ShellExecuteW(nullptr, L"open", program.c_str(), nullptr, folder.c_str(), SW_HIDE);
        if (SUCCEEDED(com))
            ::CoUninitialize();
    });
}

void MainWindow::ReadSettings() {
    AutoRefresh = 0;
    StartupMonitorOn = 0;
    StartupAlertPending = 0;
    // Only 1 switches these on; any other number (huge ones included) is off.
    AutoRefresh = settings_.Number(kOptionKey, kRefresh) == 1 ? 1 : 0;
    RefreshSeconds = settings_.Number(kOptionKey, kRefreshSeconds);
    if (RefreshSeconds == 0)
        RefreshSeconds = 15;
    StartupMonitorOn = settings_.Number(kOptionKey, kStartupMonitor) == 1 ? 1 : 0;
}

void MainWindow::Centre() {
    HMONITOR monitor = ::MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{sizeof info};
    ::GetMonitorInfoW(monitor, &info);
    RECT window{};
    ::GetWindowRect(hwnd(), &window);
    const RECT& area = info.rcWork;
    ::SetWindowPos(hwnd(), nullptr,
                   CentredPosition(area.left, area.right - area.left, window.right - window.left),
                   CentredPosition(area.top, area.bottom - area.top, window.bottom - window.top), 0,
                   0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::UnregisterHotkeys() {
    for (int id = 1; id <= HotkeyCount; ++id)
        ::UnregisterHotKey(hwnd(), id);
    HotkeyCount = 0;
}

void MainWindow::InstallHotkey() {
    UnregisterHotkeys();
    const HotkeySetting hotkey = HotkeyFromSettings(settings_.Text(kRamOptKey, kHotkeyOn),
                                                    settings_.Text(kRamOptKey, kHotkeyKey));
    if (!hotkey.enabled)
        return;
    ++HotkeyCount;
    ::RegisterHotKey(hwnd(), HotkeyCount, MOD_ALT, hotkey.virtualKey);
}

std::vector<MainWindow::SnapshotEntry> MainWindow::FillList() {
    std::vector<SnapshotEntry> list;
    ForEachSnapshotProcess([&list](const PROCESSENTRY32W& entry) {
        if (IsListedImageName(entry.szExeFile))
            list.push_back({entry.szExeFile, entry.th32ProcessID, entry.cntThreads});
    });
    return list;
}

void MainWindow::LoadProcesses(ProcessPanel::Keep keep) {
    // Platform and memory facts are read once; later loads read only the process table.
    const bool started = loader_.Start(hwnd(), kProcessesLoaded, [this, keep, known = SysInfo]() {
        // The shell's icon lookup wants COM on the calling thread.
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        LoadResult result;
        result.keep = keep;
        if (known.PlatformId() != 0) {
            result.sysInfo = known;
            result.sysInfo.LoadProcessArray();
            result.initialised = true;
        } else {
            result.initialised = result.sysInfo.Initialise();
        }
        result.rows = rowSource_.Refresh(result.sysInfo.Processes());
        result.snapshot = FillList();
        if (SUCCEEDED(com))
            ::CoUninitialize();
        return result;
    });
    if (keep == ProcessPanel::Keep::Nothing)
        rebuildViewAt_ = viewChanges_;
    // An automatic refresh that finds a load running is skipped; a rebuild (the user's, or
    // after ending a process) follows it, since that load may predate the request.
    if (!started && keep == ProcessPanel::Keep::Nothing)
        rebuildPending_ = true;
}

void MainWindow::OnProcessesLoaded(std::unique_ptr<LoadResult> result) {
    if (std::exchange(rebuildPending_, false))
        LoadProcesses(ProcessPanel::Keep::Nothing);
    if (!result)
        return;
    SysInfo = std::move(result->sysInfo);
    snapshot_ = std::move(result->snapshot);
    panel_.SetRows(std::move(result->rows), result->keep);
    if (result->keep == ProcessPanel::Keep::Nothing && viewChanges_ == rebuildViewAt_)
        ShowView(View::Processes);
    ShowRowCount();
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    ::KillTimer(hwnd(), kWaitTimer);
    Form3.Close();
    // A rebuild (the first load, "Process", Refresh, after ending a process) hands the list the
    // keyboard with row 1 selected, unless the window is out of sight or a dialog holds it.
    if (result->keep == ProcessPanel::Keep::Nothing && ::IsWindowVisible(hwnd()) &&
        ::IsWindowEnabled(hwnd()))
        ::SetFocus(panel_.List());
    if (!firstLoadDone_) {
        firstLoadDone_ = true;
        ::SetTimer(hwnd(), kCompanionTimer, USER_TIMER_MINIMUM, nullptr);
        if (options_.openPanelAtLoad)
            LoadProcesses(ProcessPanel::Keep::Nothing); // "g": the panel is built once more
    }
}

void MainWindow::ShowMainMenu(POINT at) {
    // The foreground switch lets the menu close when the user clicks elsewhere.
    ::SetForegroundWindow(hwnd());
    ::TrackPopupMenu(::GetSubMenu(menu_.get(), 0), TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
    ::PostMessageW(hwnd(), WM_NULL, 0, 0);
}

void MainWindow::ShowProcessMenu(POINT at) {
    const ProcessRecord* row = panel_.Selected();
    if (!row)
        return;
    HMENU menu = ::GetSubMenu(contextMenu_.get(), 0);
    const std::wstring terminate = L"Terminate " + MenuText(row->imageName) + L" Process";
    ::ModifyMenuW(menu, IDM_BB_TERMINATE, MF_BYCOMMAND | MF_STRING, IDM_BB_TERMINATE,
                  terminate.c_str());
    const int mark = PriorityMarkIndex(QueryPriority(row->processId));
    for (int i = 0; i < 4; ++i)
        ::CheckMenuItem(menu, kPriorityItems[i],
                        MF_BYCOMMAND | (i == mark ? MF_CHECKED : MF_UNCHECKED));
    for (int item : {IDM_AA34_EXPLORE, IDM_AA_READ_MORE})
        ::EnableMenuItem(menu, item, MF_BYCOMMAND | (row->path.empty() ? MF_GRAYED : MF_ENABLED));
    ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
}

void MainWindow::TerminateSelected() {
    const ProcessRecord* row = panel_.Selected();
    if (!row)
        return;
    const std::wstring name = row->imageName;
    const DWORD pid = row->processId;
    const std::wstring question = TerminateQuestion(name, IsCriticalProcess(pid));
    if (::MessageBoxW(hwnd(), question.c_str(), L"terminate Process", MB_YESNO | MB_ICONSTOP) ==
        IDNO)
        return;
    if (!EndProcesses(name, pid)) {
        ::DestroyWindow(hwnd());
        return;
    }
    LoadProcesses(ProcessPanel::Keep::Nothing);
}

bool MainWindow::EndProcesses(const std::wstring& name, DWORD pid) {
    const DWORD self = ::GetCurrentProcessId();
    // This program is ended last and its own way, so its tray icon and hotkey go with it.
    const bool endsSelf = pid == self || EqualsNoCase(name, FileNamePart(ModulePath()));
    DWORD refusal = 0;
    TerminateBySnapshotName(name, self, &refusal);
    TerminateByLookupName(name, self, &refusal);
    if (pid != 0 && pid != self)
        TerminateById(pid, &refusal);
    // Saying nothing would leave the user believing it ended.
    if (refusal != 0 && !endsSelf)
        ::MessageBoxW(hwnd(), TerminateFailedText(name, ErrorText(refusal)).c_str(), kCaption,
                      MB_OK | MB_ICONWARNING);
    return !endsSelf;
}

void MainWindow::SetSelectedPriority(DWORD priorityClass) {
    if (const ProcessRecord* row = panel_.Selected())
        SetPriority(row->processId, priorityClass);
}

void MainWindow::ShowModules() {
    const ProcessRecord* row = panel_.Selected();
    if (!row || BringOwnerDialogToFront(hwnd()))
        return;
    frmModules = std::make_unique<ModulesDialog>();
    frmModules->Show(hwnd(), row->processId, row->imageName, row->path);
}

void MainWindow::ExploreSelected() {
    const ProcessRecord* row = panel_.Selected();
    const std::wstring folder = row ? FolderOf(row->path) : std::wstring();
    if (!folder.empty())
        ::ShellExecuteW(hwnd(), L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainWindow::OpenSecurityScan() {
    if (!Form6)
        Form6 = std::make_unique<ScanWindow>(settings_);
    Form6->Show(hwnd());
}

void MainWindow::LookUpSelectedProcess() {
    // The process list's own selection: the startup list has one of its own.
    const ProcessRecord* row = panel_.Selected();
    if (!row || row->path.empty())
        return;
    lookups_.OpenProcess(hwnd(), LookupServer(settings_), row->imageName, row->path);
}

void MainWindow::LookUpStartupEntry() {
    const StartupEntry* row = startupPanel_.Selected();
    if (!row || row->fileName.empty())
        return;
    OpenAddress(hwnd(), StartupLookupAddress(LookupServer(settings_),
                                             StartupLookupFile(row->fileName, row->path)));
}

void MainWindow::OpenCountryPage() {
    const LRESULT chosen = ::SendMessageW(Combo1, CB_GETCURSEL, 0, 0);
    if (chosen >= 0 && chosen < static_cast<LRESULT>(kCountries.size()))
        OpenAddress(hwnd(), CountryAddress(LookupServer(settings_), kCountries[chosen]));
}

void MainWindow::OpenOptions() {
    OptionsDialog dialog(settings_, HKEY_CURRENT_USER, ProgramFolder());
    dialog.RunModal(hwnd(), IDD_FORM5); // the modal loop keeps the main window disabled
}

void MainWindow::ShowFromTray() {
    TrayArea1->SetVisible(false);
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    ::SetForegroundWindow(hwnd());
}

void MainWindow::ToggleByHotkey() {
    if (!::IsWindowVisible(hwnd())) {
        ::ShowWindow(hwnd(), SW_SHOWNORMAL);
        ::SetForegroundWindow(hwnd());
    } else {
        ::ShowWindow(hwnd(), SW_HIDE);
    }
}

void MainWindow::OnTrayMouseMove() {
    TrayArea1->SetToolTip(TrayToolTip());
}

std::wstring MainWindow::TrayToolTip() {
    // The figures as the memory panel shows them at this moment.
    GetMemoryStatus();
    std::wstring tip = MainTrayToolTip(memory_.freeMb, memory_.freeShare);
    if (inventoryTask_.Running())
        tip += L"\n" + InventoryProgressText(inventory_.RecordCount());
    return tip;
}

void MainWindow::GetMemoryStatus() {
    MEMORYSTATUSEX status{sizeof status};
    if (!::GlobalMemoryStatusEx(&status))
        return;
    pageFileAvailable_ = status.ullAvailPageFile;
    // The labels follow from the two figures alone; most ticks find them unchanged.
    const double total = MegabyteFigure(status.ullTotalPhys),
                 free = MegabyteFigure(status.ullAvailPhys);
    if (total != memoryTotal_ || free != memory_.free || memory_.availableRam.empty()) {
        memoryTotal_ = total;
        MemoryLabels labels = ComputeMemoryLabels(status.ullTotalPhys, status.ullAvailPhys);
        if (labels.freeShare.empty())
            labels.freeShare = memory_.freeShare; // no total: the share keeps its last text
        memory_ = std::move(labels);
    }
}

void MainWindow::ShowMemoryFigures() {
    GetMemoryStatus();
    memoryPanel_.Update(memory_, pageFileAvailable_);
}

bool MainWindow::MemoryPanelSeen() const {
    return memoryPanel_.Visible() && ::IsWindowVisible(hwnd());
}

void MainWindow::OnMemoryTick() {
    // The figures are read while someone can see them or the low-memory check wants them; the
    // tray tooltip and a panel coming into view read their own at that moment.
    const double checkOn = ramOptions_.Number(kLowMemoryOn);
    if (MemoryPanelSeen())
        ShowMemoryFigures();
    else if (checkOn == 1)
        GetMemoryStatus();
    lowMemory_.Step(memory_.free, ramOptions_.Number(kLowMemoryLevel), checkOn);
}

void MainWindow::OnStatusTick() {
    // Nobody sees the bar while the window is hidden; it catches up when the window shows.
    if (::IsWindowVisible(hwnd()))
        UpdateStatusBar();
    if (inventoryTask_.Running()) {
        if (TrayArea1 && TrayArea1->Visible())
            TrayArea1->SetToolTip(TrayToolTip());
    } else {
        MaybeRunInventory();
    }
}

bool MainWindow::HiddenInTray() const {
    // Minimised into the notification area (or started there); a window the hotkey hid has
    // no icon there.
    return TrayArea1 && TrayArea1->Visible() && !::IsWindowVisible(hwnd());
}

void MainWindow::MaybeRunInventory() {
    if (inventoryTried_ || !HiddenInTray())
        return;
    if (settings_.Number(kStateKey, kInventoryState) != 0) {
        inventoryTried_ = true; // done on this machine; no need to read it every second
        return;
    }
    // Once per run: a failed attempt is tried again at the next start, not every second.
    inventoryTried_ = true;
    inventoryTask_.Start(hwnd(), kInventoryDone, [this, root = WindowsDrive()] {
        return inventory_.RunInventory(root, {ProgramFolder(), UserDataFolder()});
    });
    ShowInventoryProgress(true);
}

void MainWindow::OnInventoryDone(std::unique_ptr<Inventory::Outcome> outcome) {
    ShowInventoryProgress(false);
    if (TrayArea1 && TrayArea1->Visible())
        TrayArea1->SetToolTip(TrayToolTip());
    // Counted as done only once the file is written somewhere.
    if (outcome && !outcome->cancelled && !outcome->writtenTo.empty())
        settings_.Write(kStateKey, kInventoryState, L"1");
}

void MainWindow::ShowInventoryProgress(bool running) {
    if (!comReady_)
        comReady_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ITaskbarList3* taskbar = nullptr;
    if (!comReady_ ||
        FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ITaskbarList3, reinterpret_cast<void**>(&taskbar))))
        return;
    if (SUCCEEDED(taskbar->HrInit()))
        taskbar->SetProgressState(hwnd(), running ? TBPF_INDETERMINATE : TBPF_NOPROGRESS);
    taskbar->Release();
}

void MainWindow::UpdateStatusBar(bool readCpu) {
    if (!CpuSampler_)
        return; // start-up has not finished; the first tick fills the bar
    // A text is made, and its part repainted, only when the figure behind it changed.
    const int processes = SysInfo.ProcessCount();
    if (std::exchange(statusFigures_.processes, processes) != processes)
        SetStatusText(0, ProcessCountText(processes));
    const int cpu = readCpu ? CpuSampler_->Query() : statusFigures_.cpu;
    if (cpu != statusFigures_.cpu)
        if (auto text = CpuUsageText(cpu)) {
            statusFigures_.cpu = cpu;
            SetStatusText(1, std::move(*text));
        }
    const long long load = SysInfo.fMemoryInUse();
    if (std::exchange(statusFigures_.load, load) != load)
        SetStatusText(2, RamUsageText(static_cast<unsigned>(load)));
    SetStatusText(3, kProductWebAddress);
}

void MainWindow::SetStatusText(int part, std::wstring text) {
    if (text == shownStatus_[part])
        return;
    shownStatus_[part] = std::move(text);
    ::SendMessageW(StatusBar1, SB_SETTEXTW, part,
                   reinterpret_cast<LPARAM>(shownStatus_[part].c_str()));
}

void MainWindow::ShowRowCount() {
    if (view_ == View::Startup)
        ::SetWindowTextW(lblProcessNo, std::to_wstring(startupPanel_.Rows().size()).c_str());
    else if (view_ == View::Processes)
        ::SetWindowTextW(lblProcessNo, std::to_wstring(SysInfo.ProcessCount()).c_str());
}

void MainWindow::CheckStartupEntries() {
    // Skipped after an alert until the user allows the list, and while a check or its alert
    // is still under way.
    if (StartupMonitorOn == 1 && StartupAlertPending == 0 && !startupRun_.active)
        StartStartupRun(false);
}

void MainWindow::ShowStartupPanel() {
    StartStartupRun(true);
}

void MainWindow::StartStartupRun(bool showPanel) {
    if (!startupPanel_.Created()) {
        startupPanel_.Create(hwnd(), font_.get(), boldFont_.get(), details_);
        startupPanel_.ContextMenu = [this](POINT at) { ShowStartupMenu(at); };
        Layout();
    }
    if (showPanel && ::IsWindowVisible(hwnd()))
        Form3.Show(hwnd(), L"Loading Startup Program List Wait");
    if (startupRun_.active) {
        // The run under way shows the panel when it ends.
        if (showPanel && !startupRun_.showPanel)
            startupRun_.viewAtStart = viewChanges_;
        startupRun_.showPanel = startupRun_.showPanel || showPanel;
        return;
    }
    // Each run loads the list twice, as the check always has.
    startupRun_ = StartupRun{true, 2, showPanel, viewChanges_, {}};
    LoadStartupOnce();
}

void MainWindow::LoadStartupOnce() {
    // The registry and the process table are read away from the window.
    startupLoader_.Start(hwnd(), kStartupLoaded, [] {
        std::vector<StartupEntry> rows = ReadRunKeys();
        StartupStatusPass(rows);
        return rows;
    });
}

void MainWindow::OnStartupLoaded(std::unique_ptr<std::vector<StartupEntry>> rows) {
    if (!startupRun_.active)
        return;
    // The button's load starts at row 1; the timer's and the watch's keep the user's place.
    startupPanel_.SetRows(rows ? std::move(*rows) : std::vector<StartupEntry>(),
                          startupRun_.showPanel ? StartupPanel::Keep::Nothing
                                                : StartupPanel::Keep::Selection);
    ShowRowCount();
    ::SetTimer(hwnd(), kStartupWaitTimer, 1000, nullptr);
}

void MainWindow::CheckStartupChanges() {
    const StartupSnapshot::Result result = startupSnapshot_.Check(startupPanel_.Names());
    if (!result.AnyNew()) {
        startupPanel_.Mark(result.marks);
        AfterStartupCheck();
        return;
    }
    startupRun_.marks = result.marks;
    ::SetTimer(hwnd(), kStartupAlertTimer, 1000, nullptr);
}

void MainWindow::OnStartupAlertWait() {
    startupPanel_.Mark(startupRun_.marks);
    if (StartupMonitorOn == 1) {
        AlertNewStartupEntries();
        if (!hwnd())
            return; // closed while the alert was open
    }
    AfterStartupCheck();
}

void MainWindow::AlertNewStartupEntries() {
    // Set first: no check starts while the alert is open.
    StartupAlertPending = 1;
    // In front even while the window hides in the notification area.
    ::MessageBoxW(hwnd(),
                  L"Tessaly has detected that there are new programs have been added to your "
                  L"startup since last run.\rThey have been marked with red color.",
                  L"New programs added to startup",
                  MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
    if (!hwnd())
        return;
    ShowFromTray();
    ShowView(View::Startup);
    ShowRowCount();
    startupPanel_.SelectRow(0, StartupPanel::Link::Load);
}

void MainWindow::AfterStartupCheck() {
    if (startupRun_.showPanel)
        startupPanel_.SelectRow(0);
    if (--startupRun_.loadsLeft > 0) {
        LoadStartupOnce();
        return;
    }
    const bool asked = startupRun_.showPanel;
    const bool show = asked && viewChanges_ == startupRun_.viewAtStart;
    startupRun_ = StartupRun{};
    if (asked)
        Form3.Close();
    if (!show)
        return; // the user has gone to another view meanwhile
    ShowView(View::Startup);
    ShowRowCount();
    startupPanel_.SelectRow(0, StartupPanel::Link::Load);
    if (::IsWindowVisible(hwnd()))
        ::SetFocus(startupPanel_.List());
}

void MainWindow::ShowStartupMenu(POINT at) {
    const StartupEntry* row = startupPanel_.Selected();
    if (!row)
        return;
    HMENU menu = ::GetSubMenu(startupMenu_.get(), 0);
    const std::wstring readMore = L"Read more about " + MenuText(row->fileName);
    const std::wstring remove =
        L"Terminate " + MenuText(row->fileName) + L" Process and Remove it from windows auto start";
    // An entry naming no program has nothing to look up.
    ::ModifyMenuW(menu, IDM_B1_READ_MORE,
                  MF_BYCOMMAND | MF_STRING | (row->fileName.empty() ? MF_GRAYED : MF_ENABLED),
                  IDM_B1_READ_MORE, readMore.c_str());
    ::ModifyMenuW(menu, IDM_B3_TERMINATE_REMOVE, MF_BYCOMMAND | MF_STRING, IDM_B3_TERMINATE_REMOVE,
                  remove.c_str());
    ::SetForegroundWindow(hwnd());
    ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
    ::PostMessageW(hwnd(), WM_NULL, 0, 0);
}

void MainWindow::AcceptCurrentStartup() {
    if (!startupSnapshot_.Accept(startupPanel_.Names())) {
        const std::wstring text = L"The list of startup programs could not be saved in " +
                                  startupSnapshot_.Folder() + L".";
        ::MessageBoxW(hwnd(), text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
        return;
    }
    StartupAlertPending = 0;
}

void MainWindow::RemoveStartupEntry() {
    const StartupEntry* row = startupPanel_.Selected();
    if (!row)
        return;
    const StartupEntry entry = *row;
    const std::wstring question = L"Are you sure to terminate this process\r" +
                                  DisplayText(entry.Name()) +
                                  L"\rand Remove it from windows auto start";
    if (::MessageBoxW(hwnd(), question.c_str(), L"terminate Process", MB_YESNO | MB_ICONSTOP) !=
        IDYES)
        return;
    // An entry that names no program ends none: an empty name would match every process.
    bool endsSelf = false;
    if (!entry.fileName.empty()) {
        DWORD listed = 0;
        for (const ProcessRecord& process : panel_.Rows())
            if (EqualsNoCase(Trim(process.imageName), Trim(entry.fileName))) {
                listed = process.processId;
                break;
            }
        endsSelf = !EndProcesses(entry.fileName, listed);
    }
    if (const LONG status = DeleteRunValue(entry); status != ERROR_SUCCESS) {
        const std::wstring text = L"\"" + DisplayText(entry.Name()) +
                                  L"\" could not be removed from the programs Windows starts:\r\n" +
                                  ErrorText(status);
        ::MessageBoxW(hwnd(), text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
    }
    if (endsSelf) {
        ::DestroyWindow(hwnd());
        return;
    }
    ShowStartupPanel();
}

void MainWindow::TerminateStartupProgram() {
    const StartupEntry* row = startupPanel_.Selected();
    if (!row || row->fileName.empty())
        return;
    const std::wstring name = row->fileName;
    const DWORD pid = FindProcessId(name);
    if (::MessageBoxW(hwnd(), TerminateQuestion(name, pid != 0 && IsCriticalProcess(pid)).c_str(),
                      L"terminate Process", MB_YESNO | MB_ICONSTOP) != IDYES)
        return;
    if (!EndProcesses(name, 0)) {
        ::DestroyWindow(hwnd());
        return;
    }
    // The entry's status and the process list catch up.
    LoadProcesses(ProcessPanel::Keep::SortAndSelection);
    if (!startupRun_.active)
        StartStartupRun(false);
}

void MainWindow::WatchRunKeys() {
    // Any change of a Run key starts the check at once rather than at the next tick.
    const HWND window = hwnd();
    for (const RunKeyPlace& place : RunKeyPlaces()) {
        auto watch = std::make_unique<RegistryChangeWatch>();
        if (!watch->Start([window] { ::PostMessageW(window, kRunKeysChanged, 0, 0); }))
            return;
        watch->Arm(place.root, place.subKey, RegistryChangeWatch::Scope::Values, place.view);
        runKeyWatches_.push_back(std::move(watch));
    }
}

void MainWindow::OnRunKeysChanged() {
    // Armed again before the check reads the keys, so a change made meanwhile is seen too.
    const std::vector<RunKeyPlace> places = RunKeyPlaces();
    for (size_t i = 0; i < runKeyWatches_.size() && i < places.size(); ++i)
        if (runKeyWatches_[i]->TakeReport())
            runKeyWatches_[i]->Arm(places[i].root, places[i].subKey,
                                   RegistryChangeWatch::Scope::Values, places[i].view);
    // A program's installer often writes several values; one check follows the burst.
    ::SetTimer(hwnd(), kRunKeysTimer, kRunKeysDelayMs, nullptr);
}

void MainWindow::SaveLogfile() {
    std::vector<std::wstring> paths;
    paths.reserve(panel_.Rows().size());
    for (const ProcessRecord& row : panel_.Rows())
        paths.push_back(ProcessCellText(row, ProcessColumn::Path));
    tessaly::SaveLogfile(hwnd(), paths);
}

void MainWindow::ShowAbout() {
    // One box at a time: asked again, the open one comes to the front.
    if (Form4 && Form4->Open()) {
        ::SetForegroundWindow(Form4->hwnd());
        return;
    }
    AboutBox::Links links;
    links.supportAddress = SupportMailAddress();
    links.homePage = LookupServer(settings_);
    links.open = [](HWND owner, const std::wstring& address) { OpenAddress(owner, address); };
    links.iconId = IDI_VARNOK;
    Form4 = std::make_unique<AboutBox>(std::move(links));
    Form4->Show(hwnd());
}

void MainWindow::ShowProcessMonitor() {
    // Back to the process list as it stands: no refresh.
    ShowView(View::Processes);
    if (!panel_.Rows().empty())
        panel_.SelectRow(panel_.SelectedRow() - 1);
    ::SetFocus(panel_.List());
}

void MainWindow::ShowHelp() {
    ::SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const std::wstring help = ProgramFolder() + L"\\brindle.chm";
    // No help file ships; a missing one is not worth a message.
    if (::GetFileAttributesW(help.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    const std::wstring root = WindowsDrive() + L"\\";
    ::ShellExecuteW(::GetDesktopWindow(), L"open", help.c_str(), L"", root.c_str(), SW_SHOWNORMAL);
}

CompanionActions MainWindow::Companions() {
    CompanionActions actions;
    actions.open = [](HWND owner, const std::wstring& address) { OpenAddress(owner, address); };
    return actions;
}

void MainWindow::OnCommand(int id) {
    const bool exit = id == IDC_BTN_END || id == IDM_A2_EXIT || id == IDM_HH_END;
    // While a dialog or message box holds the window disabled, a command (from the tray menu,
    // or posted by another program) brings that one forward instead of opening a second.
    if (!exit && !::IsWindowEnabled(hwnd())) {
        if (BringOwnerDialogToFront(hwnd()))
            return;
        // A message box is not recorded as a dialog; it is the last active pop-up.
        if (HWND popup = ::GetLastActivePopup(hwnd()); popup && popup != hwnd())
            ::SetForegroundWindow(popup);
        return;
    }
    switch (id) {
    case IDC_BTN_SAVE_LOGFILE:
    case IDM_A10_SAVE_LOG:
        SaveLogfile();
        break;
    case IDM_E33_ABOUT:
        ShowAbout();
        break;
    case IDM_A4_CHECK_FOR_UPDATES:
        CheckForUpdates(hwnd(), Companions());
        break;
    case IDC_BTN_SYSTEM_INFORMATION:
        ShowSystemInformation(hwnd(), Companions());
        break;
    case IDC_BTN_PROCESS_MONITOR:
    case IDM_A101_PROCESS_MONITOR:
        ShowProcessMonitor();
        break;
    case IDC_LBL_HELP:
        ShowHelp();
        break;
    case IDC_BTN_PROCESS:
    case IDM_KK2_REFRESH:
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        ShowView(View::Processes);
        LoadProcesses(ProcessPanel::Keep::Nothing);
        break;
    case IDC_BTN_STARTUP_MONITOR:
    case IDM_A102_STARTUP_MONITOR:
        ShowStartupPanel();
        break;
    case IDM_B3_TERMINATE_REMOVE:
        RemoveStartupEntry();
        break;
    case IDM_B7_ALLOW_ALL:
        AcceptCurrentStartup();
        break;
    case IDC_BTN_MAIN_WINDOW:
        ShowView(View::Memory);
        break;
    case IDC_BTN_MEMORY_OPTIONS:
        ShowView(View::MemoryOptions);
        break;
    case IDC_BTN_KILL:
    case IDM_BB_TERMINATE:
        TerminateSelected();
        break;
    case IDC_BTN_OPTIONS:
    case IDM_A6_OPTIONS:
        OpenOptions();
        break;
    case IDC_BTN_MENU: {
        const RECT button = navBar_.ScreenBox(IDC_BTN_MENU);
        ShowMainMenu({button.right, button.top});
        break;
    }
    case IDM_FF_SYSTEM_INFORMATION:
        StartPelmora();
        break;
    case IDM_A33_RUN_NEW_TASK:
        frmShell.Open(hwnd(), hwnd(), L"Tessaly");
        break;
    case IDM_GG1_LOG_OFF:
        clsExitWindows().ExitWindows(0);
        break;
    case IDM_GG2_RESTART:
        clsExitWindows().ExitWindows(2);
        break;
    case IDM_GG3_SHUTDOWN:
        clsExitWindows().ExitWindows(1);
        break;
    case IDM_A100_PROCESS_DETAILS:
        ShowModules();
        break;
    case IDM_P1_IDLE:
    case IDM_P2_NORMAL:
    case IDM_P3_HIGH:
    case IDM_P4_REALTIME:
        SetSelectedPriority(kPriorityClasses[id - IDM_P1_IDLE]);
        break;
    case IDM_AA34_EXPLORE:
        ExploreSelected();
        break;
    case IDC_BTN_SECURITY_SCAN:
    case IDC_BTN_CHECK_ALL_ONLINE:
    case IDM_A8_CHECK_ALL_ONLINE:
        OpenSecurityScan();
        break;
    case IDM_AA_READ_MORE:
        LookUpSelectedProcess();
        break;
    // The details area's links act on the row of the list shown.
    case IDC_FREELINK1:
        if (view_ == View::Startup)
            LookUpStartupEntry();
        else if (view_ == View::Processes)
            LookUpSelectedProcess();
        break;
    case IDC_FREELINK2:
        if (view_ == View::Startup)
            TerminateStartupProgram();
        else if (view_ == View::Processes)
            TerminateSelected();
        break;
    case IDM_B1_READ_MORE:
        LookUpStartupEntry();
        break;
    case IDM_B5_CHECK_ONLINE:
        OpenSecurityScan();
        break;
    case IDM_A3_HOME_PAGE:
        OpenAddress(hwnd(), LookupServer(settings_));
        break;
    case IDC_BTN_END:
    case IDM_A2_EXIT:
    case IDM_HH_END:
        ::DestroyWindow(hwnd());
        break;
    default:
        break;
    }
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_COMBO1) {
            // Chosen from the open list (click or Enter), not each entry the arrows pass.
            if (HIWORD(wParam) == CBN_SELENDOK)
                OpenCountryPage();
            return 0;
        }
        if (!memoryOptions_.OnCommand(LOWORD(wParam), HIWORD(wParam)))
            OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        LRESULT result = 0;
        const NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
        if (panel_.OnNotify(header, result) || startupPanel_.OnNotify(header, result))
            return result;
        return Default(message, wParam, lParam);
    }
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == panel_.List() && GET_X_LPARAM(lParam) == -1 &&
            GET_Y_LPARAM(lParam) == -1) {
            // From the keyboard: open at the selected row.
            RECT item{};
            ListView_GetItemRect(panel_.List(), panel_.SelectedRow() - 1, &item, LVIR_LABEL);
            POINT at{item.left, item.bottom};
            ::ClientToScreen(panel_.List(), &at);
            ShowProcessMenu(at);
            return 0;
        }
        if (reinterpret_cast<HWND>(wParam) == startupPanel_.List() && GET_X_LPARAM(lParam) == -1 &&
            GET_Y_LPARAM(lParam) == -1) {
            // The context-menu key and Shift+F10 open the menu at the selected row.
            if (!startupPanel_.Rows().empty())
                ShowStartupMenu(startupPanel_.MenuPoint());
            return 0;
        }
        return Default(message, wParam, lParam);
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED) {
            ::ShowWindow(hwnd(), SW_HIDE);
            TrayArea1->SetVisible(true);
        } else if (lParam != laidOutSize_) {
            // Showing the window repeats the size it was laid out for; nothing moves then.
            Layout();
        }
        return 0;
    case WM_SETTINGCHANGE:
        RefreshNumberFormat();
        statusFigures_ = {}; // the next tick writes them in the new format
        return Default(message, wParam, lParam);
    case WM_SHOWWINDOW:
        // Back from the tray or the hotkey: the panel and the bar catch up at once. The CPU
        // figure starts from a fresh sample, so its first reading covers the last second, not
        // the whole time the window was hidden; until then the bar shows the last one.
        if (wParam && memoryPanel_.Visible())
            ShowMemoryFigures();
        if (wParam && CpuSampler_)
            CpuSampler_->Initialize();
        if (wParam)
            UpdateStatusBar(false);
        if (wParam && inventoryTask_.Running())
            ShowInventoryProgress(true);
        return Default(message, wParam, lParam);
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {Scale(hwnd(), 640), Scale(hwnd(), 460)};
        return 0;
    }
    case WM_DPICHANGED: {
        CreateFonts();
        for (HWND child = ::GetWindow(hwnd(), GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT))
            ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
        navBar_.SetFont(font_.get());
        panel_.SetFont(font_.get());
        details_.SetFonts(font_.get(), boldFont_.get());
        if (startupPanel_.Created())
            startupPanel_.SetFonts(font_.get(), boldFont_.get());
        memoryPanel_.SetFonts(font_.get(), boldFont_.get());
        memoryOptions_.SetFont(font_.get());
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top,
                       suggested->right - suggested->left, suggested->bottom - suggested->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_ERASEBKGND: {
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        HDC dc = reinterpret_cast<HDC>(wParam);
        RECT nav = client;
        nav.right = Scale(hwnd(), kNavWidth96);
        ::FillRect(dc, &nav, navBrush_.get());
        RECT rest = client;
        rest.left = nav.right;
        ::FillRect(dc, &rest, ::GetSysColorBrush(COLOR_WINDOW));
        PaintCaptions(dc);
        return 1;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_TIMER:
        if (wParam == kTimer1)
            OnMemoryTick();
        if (wParam == kTimer4)
            OnStatusTick();
        if (wParam == kTimer3) {
            // An automatic refresh keeps what the user is looking at, and is skipped while the
            // previous one still runs.
            if (AutoRefresh == 1)
                LoadProcesses(ProcessPanel::Keep::SortAndSelection);
            CheckStartupEntries();
        }
        if (wParam == kStartupWaitTimer) {
            ::KillTimer(hwnd(), kStartupWaitTimer);
            CheckStartupChanges();
        }
        if (wParam == kStartupAlertTimer) {
            ::KillTimer(hwnd(), kStartupAlertTimer);
            OnStartupAlertWait();
        }
        if (wParam == kRunKeysTimer) {
            ::KillTimer(hwnd(), kRunKeysTimer);
            CheckStartupEntries();
        }
        if (wParam == kCompanionTimer) {
            ::KillTimer(hwnd(), kCompanionTimer);
            StartPelmora();
        }
        if (wParam == kWaitTimer) {
            ::KillTimer(hwnd(), kWaitTimer);
            Form3.Show(hwnd());
        }
        return 0;
    case WM_HOTKEY:
        if (wParam == 1)
            ToggleByHotkey();
        return 0;
    case kFinishStart:
        FinishStart();
        return 0;
    case kProcessesLoaded:
        OnProcessesLoaded(BackgroundTask<LoadResult>::Take(lParam));
        return 0;
    case kInventoryDone:
        OnInventoryDone(BackgroundTask<Inventory::Outcome>::Take(lParam));
        return 0;
    case kQueryInventory:
        return inventoryTask_.Running() ? 1 : 0;
    case kStartupLoaded:
        OnStartupLoaded(BackgroundTask<std::vector<StartupEntry>>::Take(lParam));
        return 0;
    case kRunKeysChanged:
        OnRunKeysChanged();
        return 0;
    case kQueryStartupList: {
        if (wParam == 1)
            return view_ == View::Startup ? 1 : 0;
        const int rows = static_cast<int>(startupPanel_.Rows().size());
        int marked = 0;
        for (int i = 0; i < rows; ++i)
            marked += startupPanel_.Marked(i) ? 1 : 0;
        return MAKELRESULT(rows, marked);
    }
    case kQueryTrayIcon:
        return TrayArea1 ? MAKELRESULT(TrayArea1->IconId(), TrayArea1->Visible() ? 1 : 0) : 0;
    case WM_CLOSE:
        ::DestroyWindow(hwnd());
        return 0;
    case WM_DESTROY:
        inventory_.Cancel(); // nothing is written; the worker ends at its next entry
        Form4.reset();
        UnregisterHotkeys();
        for (UINT_PTR timer : {kTimer1, kTimer3, kTimer4, kWaitTimer, kCompanionTimer,
                               kStartupWaitTimer, kStartupAlertTimer, kRunKeysTimer})
            ::KillTimer(hwnd(), timer);
        if (TrayArea1)
            TrayArea1->SetVisible(false);
        Form3.Close();
        frmModules.reset();
        runKeyWatches_.clear();
        if (companion_.joinable())
            companion_.join();
        ::PostQuitMessage(0);
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

} // namespace tessaly
