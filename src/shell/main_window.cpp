#include "shell/main_window.h"

#include "common/text.h"
#include "memory/memory_figures.h"
#include "probes/cpu_sources.h"
#include "process/process_query.h"
#include "process/process_view.h"
#include "settings/options_dialog.h"
#include "settings/options_resource.h"
#include "settings/setting_names.h"
#include "shell/resource.h"
#include "win32/platform.h"

#include <shellapi.h>
#include <tlhelp32.h>
#include <windowsx.h>

namespace tessaly {

using namespace settings;

namespace {

constexpr const wchar_t* kClassName = L"TessalyMainWindow";
constexpr const wchar_t* kCaption = L"Tessaly";
constexpr UINT_PTR kTimer3 = 3;
constexpr UINT_PTR kWaitTimer = 30;
constexpr UINT kWaitDelayMs = 250;
constexpr UINT kProcessesLoaded = WM_APP + 0x301;

struct NavButton {
    int id;
    const wchar_t* caption;
};
constexpr NavButton kNavButtons[] = {
    {IDC_BTN_PROCESS, L"Process"},
    {IDC_BTN_OPTIONS, L"Options"},
    {IDC_BTN_MENU, L"Menu"},
    {IDC_BTN_END, L"End"},
};

struct ColumnSpec {
    const wchar_t* header;
    int width96;
    int format;
};
constexpr ColumnSpec kColumns[] = {
    {L"Process Name", 220, LVCFMT_LEFT},
    {L"Memory usage Kb", 130, LVCFMT_RIGHT},
    {L"ID", 80, LVCFMT_RIGHT},
};

} // namespace

MainWindow::MainWindow(StartOptions options, SettingsStore& settings)
    : options_(options), settings_(settings) {}

MainWindow::~MainWindow() = default;

bool MainWindow::Start() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    bigIcon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VARNOK), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXICON),
                                                   ::GetSystemMetrics(SM_CYICON), 0)));
    smallIcon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_VARNOK),
                                                     IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), 0)));
    navBrush_.reset(::CreateSolidBrush(RGB(0x2B, 0x3A, 0x55)));
    RegisterClassOnce(kClassName, bigIcon_.get(), ::GetSysColorBrush(COLOR_WINDOW));
    if (!Create(kClassName, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, WS_EX_APPWINDOW,
                CW_USEDEFAULT, CW_USEDEFAULT, 0, 0))
        return false;
    ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    ::SetWindowPos(hwnd(), nullptr, 0, 0, Scale(hwnd(), 820), Scale(hwnd(), 560),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    menu_.reset(::LoadMenuW(instance, MAKEINTRESOURCEW(IDM_W2)));
    CreateFonts();
    CreateControls();
    Layout();

    TrayArea1.SetIcon(smallIcon_.get());
    TrayArea1.SetToolTip(kCaption);
    TrayArea1.DblClick = [this] { ShowFromTray(); };
    TrayArea1.MouseDown = [this](short button) {
        if (button == 2 && !rows_.empty())
            ShowMainMenu(TrayArea1.LastPointer());
    };
    TrayArea1.MouseMove = [this] { OnTrayMouseMove(); };

    // Start-up, in the order the rest of the program relies on. pelmora is started once the
    // window shows: starting a second program first would only delay the window.
    CpuSampler_ = CreateCpuSampler();
    CpuSampler_->Initialize();
    ReadSettings();
    ::SetTimer(hwnd(), kTimer3, RefreshIntervalMs(RefreshSeconds), nullptr);
    Centre();
    LowMemoryFlag = 0;
    LowMemoryState = 0;
    InstallHotkey();
    if (options_.startHidden) {
        // Created minimised: the window goes straight into the notification area.
        TrayArea1.SetVisible(true);
    } else {
        // "Please wait" only when loading is slow enough to be noticed; a window that flashes
        // up and away at once is worse than none.
        ::SetTimer(hwnd(), kWaitTimer, kWaitDelayMs, nullptr);
    }
    LoadProcesses();
    return true;
}

void MainWindow::CreateFonts() {
    NONCLIENTMETRICSW metrics{sizeof metrics};
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW base = metrics.lfMessageFont;
    // The system font is given for the system DPI; this window may sit on another monitor.
    const int systemDpi = static_cast<int>(WindowDpi(nullptr));
    base.lfHeight = ::MulDiv(base.lfHeight, static_cast<int>(WindowDpi(hwnd())), systemDpi);
    font_.reset(::CreateFontIndirectW(&base));
    LOGFONTW title = base;
    title.lfHeight = base.lfHeight * 16 / 10;
    title.lfWeight = FW_SEMIBOLD;
    titleFont_.reset(::CreateFontIndirectW(&title));
}

void MainWindow::CreateControls() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id,
                           DWORD exStyle = 0) {
        HWND control = ::CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0,
                                         0, 0, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                         instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return control;
    };
    for (size_t i = 0; i < std::size(kNavButtons); ++i)
        navButtons_[i] =
            child(L"BUTTON", kNavButtons[i].caption, BS_PUSHBUTTON | WS_TABSTOP, kNavButtons[i].id);
    Label4 = child(L"STATIC", L"Process Manager", SS_LEFT | SS_NOPREFIX, IDC_LABEL4);
    ::SendMessageW(Label4, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
    lblProcessCaption =
        child(L"STATIC", L"Running processes:", SS_RIGHT | SS_NOPREFIX, IDC_LBLPROCESSCAPTION);
    lblProcessNo = child(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, IDC_LBLPROCESSNO);
    lstProcesses = child(WC_LISTVIEWW, L"",
                         LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP,
                         IDC_LSTPROCESSES, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(lstProcesses, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER |
                                                        LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP);
    for (size_t i = 0; i < std::size(kColumns); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = const_cast<wchar_t*>(kColumns[i].header);
        column.cx = Scale(hwnd(), kColumns[i].width96);
        column.fmt = kColumns[i].format;
        ListView_InsertColumn(lstProcesses, static_cast<int>(i), &column);
    }
}

void MainWindow::Layout() {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const auto s = [&](int v) { return Scale(hwnd(), v); };
    const int navWidth = s(150), margin = s(12), buttonHeight = s(30);
    int y = s(64);
    for (HWND button : navButtons_) {
        ::MoveWindow(button, margin, y, navWidth - 2 * margin, buttonHeight, TRUE);
        y += buttonHeight + s(8);
    }
    const int left = navWidth + margin, right = client.right - margin;
    ::MoveWindow(Label4, left, s(14), s(300), s(32), TRUE);
    ::MoveWindow(lblProcessCaption, right - s(230), s(24), s(170), s(20), TRUE);
    ::MoveWindow(lblProcessNo, right - s(56), s(24), s(56), s(20), TRUE);
    ::MoveWindow(lstProcesses, left, s(56), right - left, client.bottom - s(56) - margin, TRUE);
}

void MainWindow::StartPelmora() {
    const std::wstring folder = ProgramFolder();
    const std::wstring program = folder + L"\\pelmora.exe";
    // A missing companion is no reason to trouble the user.
    if (::GetFileAttributesW(program.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    ::ShellExecuteW(hwnd(), L"open", program.c_str(), nullptr, folder.c_str(), SW_HIDE);
}

void MainWindow::ReadSettings() {
    AutoRefresh = 0;
    StartupMonitorOn = 0;
    StartupAlertPending = 0;
    AutoRefresh = static_cast<int>(settings_.Number(kOptionKey, kRefresh));
    RefreshSeconds = settings_.Number(kOptionKey, kRefreshSeconds);
    if (RefreshSeconds == 0)
        RefreshSeconds = 15;
    StartupMonitorOn = static_cast<int>(settings_.Number(kOptionKey, kStartupMonitor));
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

void MainWindow::FillList() {
    snapshot_.clear();
    const UniqueSnapshot snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return;
    PROCESSENTRY32W entry{sizeof entry};
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (IsListedImageName(entry.szExeFile))
            snapshot_.push_back({entry.szExeFile, entry.th32ProcessID, entry.cntThreads});
    }
}

void MainWindow::LoadProcesses() {
    loader_.Start(hwnd(), kProcessesLoaded, [] {
        LoadResult result;
        result.initialised = result.sysInfo.Initialise();
        return result;
    });
}

void MainWindow::OnProcessesLoaded(std::unique_ptr<LoadResult> result) {
    if (result)
        SysInfo = std::move(result->sysInfo);
    rows_ = SysInfo.Processes();
    FillList();
    ShowRows();
    ::KillTimer(hwnd(), kWaitTimer);
    Form3.Close();
    if (!firstLoadDone_) {
        firstLoadDone_ = true;
        StartPelmora();
        if (options_.openPanelAtLoad)
            LoadProcesses(); // "g": the panel is built once more
        if (!options_.startHidden) {
            ::ShowWindow(hwnd(), SW_SHOWNORMAL);
            ::SetForegroundWindow(hwnd());
        }
    }
}

void MainWindow::ShowRows() {
    ::SendMessageW(lstProcesses, WM_SETREDRAW, FALSE, 0);
    ListView_SetItemCountEx(lstProcesses, static_cast<int>(rows_.size()), 0);
    SelectedRow = 1;
    if (!rows_.empty()) {
        ListView_SetItemState(lstProcesses, 0, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(lstProcesses, 0, FALSE);
    }
    ::SendMessageW(lstProcesses, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(lstProcesses, nullptr, TRUE);
    ::SetWindowTextW(lblProcessNo, std::to_wstring(SysInfo.ProcessCount()).c_str());
}

void MainWindow::OnListDisplayInfo(NMLVDISPINFOW& info) {
    if (!(info.item.mask & LVIF_TEXT) || info.item.iItem < 0 ||
        info.item.iItem >= static_cast<int>(rows_.size()))
        return;
    const std::wstring text = ProcessCellText(rows_[info.item.iItem],
                                              static_cast<ProcessColumn>(info.item.iSubItem));
    wcsncpy(info.item.pszText, text.c_str(), info.item.cchTextMax - 1);
    info.item.pszText[info.item.cchTextMax - 1] = L'\0';
}

void MainWindow::ShowMainMenu(POINT at) {
    // The foreground switch lets the menu close when the user clicks elsewhere.
    ::SetForegroundWindow(hwnd());
    ::TrackPopupMenu(::GetSubMenu(menu_.get(), 0), TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
    ::PostMessageW(hwnd(), WM_NULL, 0, 0);
}

void MainWindow::OpenOptions() {
    OptionsDialog dialog(settings_, HKEY_CURRENT_USER, ProgramFolder());
    dialog.RunModal(hwnd(), IDD_FORM5); // the modal loop keeps the main window disabled
}

void MainWindow::ShowFromTray() {
    TrayArea1.SetVisible(false);
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
    MEMORYSTATUSEX memory{sizeof memory};
    if (!::GlobalMemoryStatusEx(&memory))
        return;
    const MemoryLabels labels = ComputeMemoryLabels(memory.ullTotalPhys, memory.ullAvailPhys);
    TrayArea1.SetToolTip(MainTrayToolTip(labels.freeMb, labels.freeShare));
}

void MainWindow::OnCommand(int id) {
    switch (id) {
    case IDC_BTN_PROCESS:
    case IDM_KK2_REFRESH: {
        ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        LoadProcesses();
        break;
    }
    case IDC_BTN_OPTIONS:
    case IDM_A6_OPTIONS:
        OpenOptions();
        break;
    case IDC_BTN_MENU: {
        RECT button{};
        ::GetWindowRect(::GetDlgItem(hwnd(), IDC_BTN_MENU), &button);
        ShowMainMenu({button.right, button.top});
        break;
    }
    case IDM_FF_SYSTEM_INFORMATION:
        StartPelmora();
        break;
    case IDC_BTN_END:
    case IDM_A2_EXIT:
        ::DestroyWindow(hwnd());
        break;
    default:
        break;
    }
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == lstProcesses && header->code == LVN_GETDISPINFOW)
            OnListDisplayInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
        return 0;
    }
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED) {
            ::ShowWindow(hwnd(), SW_HIDE);
            TrayArea1.SetVisible(true);
        } else {
            Layout();
        }
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {Scale(hwnd(), 560), Scale(hwnd(), 380)};
        return 0;
    }
    case WM_DPICHANGED: {
        CreateFonts();
        for (HWND child = ::GetWindow(hwnd(), GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT))
            ::SendMessageW(child, WM_SETFONT,
                           reinterpret_cast<WPARAM>(child == Label4 ? titleFont_.get() : font_.get()),
                           TRUE);
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
        nav.right = Scale(hwnd(), 150);
        ::FillRect(dc, &nav, static_cast<HBRUSH>(navBrush_.get()));
        RECT rest = client;
        rest.left = nav.right;
        ::FillRect(dc, &rest, ::GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    case WM_CTLCOLORSTATIC:
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        ::SetTextColor(reinterpret_cast<HDC>(wParam),
                       reinterpret_cast<HWND>(lParam) == Label4 ? RGB(0x2B, 0x3A, 0x55)
                                                                : ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    case WM_TIMER:
        if (wParam == kTimer3 && AutoRefresh == 1)
            LoadProcesses(); // skipped while the previous refresh still runs
        if (wParam == kWaitTimer) {
            ::KillTimer(hwnd(), kWaitTimer);
            Form3.Show(hwnd());
        }
        return 0;
    case WM_HOTKEY:
        if (wParam == 1)
            ToggleByHotkey();
        return 0;
    case kProcessesLoaded:
        OnProcessesLoaded(BackgroundTask<LoadResult>::Take(lParam));
        return 0;
    case kQueryTrayIcon:
        return MAKELRESULT(TrayArea1.IconId(), TrayArea1.Visible() ? 1 : 0);
    case WM_CLOSE:
        ::DestroyWindow(hwnd());
        return 0;
    case WM_DESTROY:
        UnregisterHotkeys();
        ::KillTimer(hwnd(), kTimer3);
        TrayArea1.SetVisible(false);
        Form3.Close();
        ::PostQuitMessage(0);
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

} // namespace tessaly
