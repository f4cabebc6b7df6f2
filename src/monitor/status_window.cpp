#include "monitor/status_window.h"

#include "common/number_format.h"
#include "monitor/hardware_probes.h"
#include "monitor/resource.h"
#include "probes/exit_windows.h"
#include "win32/platform.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

namespace tessaly {

namespace {
constexpr const wchar_t* kClassName = L"TessalyStatusMonitor";
constexpr const wchar_t* kCaption = L"Orvix System Information ";
// The maker's site is the lookup server's home page.
constexpr const wchar_t* kHomePage = L"http://127.0.0.1:47311/";
constexpr const wchar_t* kCredit = L"Orvix System Information From 127.0.0.1:47311";

constexpr COLORREF kBackground = RGB(38, 42, 50);
constexpr COLORREF kHeader = RGB(24, 26, 32);
constexpr COLORREF kCaptionText = RGB(222, 226, 232);
constexpr COLORREF kValueText = RGB(96, 240, 140);
constexpr COLORREF kAlertText = RGB(255, 255, 255);
constexpr COLORREF kLinkText = RGB(130, 180, 255);

// Layout at 96 DPI.
constexpr int kMargin = 8, kHeaderHeight = 26, kRowHeight = 19, kGap = 4;
constexpr int kCaptionWidth = 146, kValueWidth = 116, kBarWidth = 92, kBarHeight = 13;
constexpr int kPicture = 18, kCreditHeight = 18;
constexpr int kClientWidth =
    kMargin + kCaptionWidth + kGap + kValueWidth + kGap + kBarWidth + kMargin;
constexpr int kRowsTop = kHeaderHeight + 6;
constexpr int kClientHeight = kRowsTop + kRowCount * kRowHeight + 6 + kCreditHeight + kMargin;

bool IsValueLabel(int id) {
    return id >= IDC_VALUE_FIRST && id < IDC_VALUE_FIRST + kRowCount;
}
} // namespace

StatusWindow::StatusWindow(std::unique_ptr<MonitorProbes> probes) : probes_(std::move(probes)) {
    PopUpMenu = [this](HMENU menu, POINT at) {
        // Foreground first, or the menu stays open when the user clicks elsewhere.
        ::SetForegroundWindow(hwnd());
        ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
        ::PostMessageW(hwnd(), WM_NULL, 0, 0);
    };
}

StatusWindow::~StatusWindow() {
    // Before the members: the icon's window owns this one, and the dialog is owned by it.
    if (hwnd())
        ::DestroyWindow(hwnd());
}

bool StatusWindow::Start() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    icon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PELMORA), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXSMICON),
                                                ::GetSystemMetrics(SM_CYSMICON), 0)));
    menu_.reset(::LoadMenuW(instance, MAKEINTRESOURCEW(IDM_A)));
    background_.reset(::CreateSolidBrush(kBackground));
    header_.reset(::CreateSolidBrush(kHeader));
    black_.reset(::CreateSolidBrush(RGB(0, 0, 0)));
    red_.reset(::CreateSolidBrush(RGB(255, 0, 0)));
    RegisterClassOnce(kClassName, icon_.get(), background_.get());
    // Hidden from the start. Owned by the icon's window, which keeps it off the taskbar.
    if (!Create(kClassName, kCaption, WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, 0, 0, 0, 0, 0,
                TrayArea1.hwnd()))
        return false;
    CreateFonts();
    CreateControls();
    Layout();

    TrayArea1.SetIcon(icon_.get());
    TrayArea1.MouseDown = [this](short button) { OnTrayMouseDown(button); };
    TrayArea1.SetVisible(true);

    if (IsNtPlatform())
        MakeTransparent(hwnd(), 190);
    Place();
    probes_->StartCpu();
    totals_ = probes_->Totals();
    ShowRows(rows_.ApplyTotals(totals_) | rows_.ApplyDisplay(probes_->Display()));
    ::SetTimer(hwnd(), kTimer1, kTimer1Interval, nullptr);
    return true;
}

void StatusWindow::CreateFonts() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW face = metrics.lfMessageFont;
    face.lfHeight = -::MulDiv(9, static_cast<int>(WindowDpi(hwnd())), 72);
    font_.reset(::CreateFontIndirectW(&face));
    face.lfWeight = FW_BOLD;
    titleFont_.reset(::CreateFontIndirectW(&face));
    face.lfWeight = FW_NORMAL;
    face.lfUnderline = TRUE;
    linkFont_.reset(::CreateFontIndirectW(&face));
}

void StatusWindow::CreateControls() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
        return ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, hwnd(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                 nullptr);
    };
    for (int i = 0; i < kRowCount; ++i) {
        const RowSpec& row = SpecOf(static_cast<Row>(i));
        captions_[i] = child(L"STATIC", row.caption, SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE,
                             IDC_CAPTION_FIRST + i);
        values_[i] =
            child(L"STATIC", rows_[static_cast<Row>(i)].text.c_str(),
                  SS_CENTER | SS_NOPREFIX | SS_CENTERIMAGE | SS_ENDELLIPSIS, IDC_VALUE_FIRST + i);
        if (row.bar) {
            bars_[i] = child(PROGRESS_CLASSW, L"", PBS_SMOOTH, IDC_BAR_FIRST + i);
            ::SendMessageW(bars_[i], PBM_SETRANGE32, 0, 100);
        }
    }
    Image2 = child(L"STATIC", L"Minimize", SS_OWNERDRAW | SS_NOTIFY, IDC_IMAGE2);
    Image1 = child(L"STATIC", L"Exit", SS_OWNERDRAW | SS_NOTIFY, IDC_IMAGE1);
    Label19 =
        child(L"STATIC", kCredit, SS_LEFT | SS_NOPREFIX | SS_NOTIFY | SS_CENTERIMAGE, IDC_LABEL19);
    SetFonts();
}

void StatusWindow::SetFonts() {
    for (int i = 0; i < kRowCount; ++i)
        for (HWND control : {captions_[i], values_[i]})
            ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    ::SendMessageW(Label19, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.get()), FALSE);
}

void StatusWindow::Layout() {
    const auto s = [this](int v) { return Scale(hwnd(), v); };
    RECT frame{0, 0, s(kClientWidth), s(kClientHeight)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(hwnd(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongW(hwnd(), GWL_EXSTYLE)));
    ::SetWindowPos(hwnd(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int valueLeft = kMargin + kCaptionWidth + kGap;
    const int barLeft = valueLeft + kValueWidth + kGap;
    for (int i = 0; i < kRowCount; ++i) {
        const int top = kRowsTop + i * kRowHeight;
        ::MoveWindow(captions_[i], s(kMargin), s(top), s(kCaptionWidth), s(kRowHeight - 2), FALSE);
        const int valueWidth = bars_[i] ? kValueWidth : kValueWidth + kGap + kBarWidth;
        ::MoveWindow(values_[i], s(valueLeft), s(top), s(valueWidth), s(kRowHeight - 2), FALSE);
        if (bars_[i])
            ::MoveWindow(bars_[i], s(barLeft), s(top + (kRowHeight - 2 - kBarHeight) / 2),
                         s(kBarWidth), s(kBarHeight), FALSE);
    }
    const int pictureTop = (kHeaderHeight - kPicture) / 2;
    ::MoveWindow(Image1, s(kClientWidth - kMargin - kPicture), s(pictureTop), s(kPicture),
                 s(kPicture), FALSE);
    ::MoveWindow(Image2, s(kClientWidth - kMargin - 2 * kPicture - kGap), s(pictureTop),
                 s(kPicture), s(kPicture), FALSE);
    ::MoveWindow(Label19, s(kMargin), s(kClientHeight - kMargin - kCreditHeight),
                 s(kClientWidth - 2 * kMargin), s(kCreditHeight), FALSE);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void StatusWindow::Place() {
    RECT window{};
    ::GetWindowRect(hwnd(), &window);
    MONITORINFO monitor{sizeof monitor};
    ::GetMonitorInfoW(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const auto rect = [](const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; };
    const WindowPlace place =
        StatusWindowPlace(rect(monitor.rcMonitor), rect(monitor.rcWork), window.right - window.left,
                          window.bottom - window.top, WindowDpi(hwnd()));
    ::SetWindowPos(hwnd(), nullptr, place.left, place.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void StatusWindow::Tick() {
    if (inTick_)
        return; // a message box or menu inside a tick must not start another
    inTick_ = true;
    const int32_t cpu = probes_->Cpu();
    // Hidden, only the sampler runs, so the figure shown next covers the last 250 ms.
    if (::IsWindowVisible(hwnd())) {
        TickReading reading = probes_->Tick();
        reading.cpu = cpu;
        ShowRows(rows_.ApplyTick(reading));
    }
    inTick_ = false;
}

void StatusWindow::ShowRows(StatusRows::Changes changes) {
    // Each control is touched only for what it shows differently: under Wine every text set
    // is a trip to the server and every invalidation a repaint of a translucent window.
    for (int i = 0; i < kRowCount; ++i) {
        if (!(changes & RowBit(static_cast<Row>(i))))
            continue;
        const RowState& row = rows_[static_cast<Row>(i)];
        Shown& shown = shown_[i];
        if (shown.text != row.text) {
            shown.text = row.text;
            ::SetWindowTextW(values_[i], row.text.c_str());
        } else if (shown.alert != row.alert) {
            ::InvalidateRect(values_[i], nullptr, TRUE);
        }
        shown.alert = row.alert;
        const int position = static_cast<int>(std::lround(row.bar));
        if (bars_[i] && shown.bar != position) {
            shown.bar = position;
            ::SendMessageW(bars_[i], PBM_SETPOS, static_cast<WPARAM>(position), 0);
        }
    }
}

void StatusWindow::RefreshAll() {
    inTick_ = true;
    TickReading reading = probes_->Tick();
    reading.cpu = probes_->Cpu();
    rows_.ApplyTick(reading);
    ShowRows(~StatusRows::Changes{0});
    inTick_ = false;
}

void StatusWindow::ShowWindowNow() {
    // Current figures the moment the window appears, not those from before it was hidden.
    RefreshAll();
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    ::SetForegroundWindow(hwnd());
}

void StatusWindow::HideToTray() {
    ::ShowWindow(hwnd(), SW_HIDE);
    TrayArea1.SetVisible(true);
}

void StatusWindow::OnTrayMouseDown(short button) {
    if (button == 2) {
        ::ShowWindow(hwnd(), SW_HIDE);
        PopUpMenu(IconMenu(), TrayArea1.LastPointer());
    } else if (button == 1) {
        ::EndMenu();
        if (::IsWindowVisible(hwnd()))
            ::ShowWindow(hwnd(), SW_HIDE);
        else
            ShowWindowNow();
    }
}

void StatusWindow::StartVarnok() {
    const std::wstring folder = ProgramFolder();
    const std::wstring program = folder + L"\\varnok.exe";
    ::ShellExecuteW(hwnd(), L"OPEN", program.c_str(), L"", folder.c_str(), SW_SHOWNORMAL);
}

void StatusWindow::OpenHomePage() {
    const std::wstring folder = ProgramFolder();
    ::ShellExecuteW(hwnd(), L"OPEN", kHomePage, L"", folder.c_str(), SW_SHOWNORMAL);
}

void StatusWindow::Exit() {
    TrayArea1.SetVisible(false);
    ::DestroyWindow(hwnd());
}

void StatusWindow::OnCommand(int id) {
    switch (id) {
    case IDM_B_SHOW:
        StartVarnok();
        break;
    case IDM_C_RUN_NEW_TASK:
        frmShell.Open(hwnd(), nullptr, L"pelmora");
        break;
    case IDM_E_LOG_OFF:
        clsExitWindows().ExitWindows(0);
        break;
    case IDM_F_RESTART:
        clsExitWindows().ExitWindows(2);
        break;
    case IDM_G_SHUTDOWN:
        clsExitWindows().ExitWindows(1);
        break;
    case IDM_H_EXIT:
    case IDC_IMAGE1:
        Exit();
        break;
    case IDC_IMAGE2:
        HideToTray();
        break;
    case IDC_LABEL19:
        OpenHomePage();
        break;
    default:
        break;
    }
}

LRESULT StatusWindow::ColourStatic(HDC dc, HWND control) {
    const int id = ::GetDlgCtrlID(control);
    if (IsValueLabel(id)) {
        const bool alert = rows_[static_cast<Row>(id - IDC_VALUE_FIRST)].alert;
        ::SetTextColor(dc, alert ? kAlertText : kValueText);
        ::SetBkColor(dc, alert ? RGB(255, 0, 0) : RGB(0, 0, 0));
        return reinterpret_cast<LRESULT>(alert ? red_.get() : black_.get());
    }
    ::SetTextColor(dc, id == IDC_LABEL19 ? kLinkText : kCaptionText);
    ::SetBkColor(dc, kBackground);
    return reinterpret_cast<LRESULT>(background_.get());
}

void StatusWindow::DrawPicture(const DRAWITEMSTRUCT& item) {
    const RECT& box = item.rcItem;
    ::FillRect(item.hDC, &box, header_.get());
    const int inset = (box.right - box.left) / 4;
    const UniqueGdiObject pen(::CreatePen(PS_SOLID, std::max(1, Scale(hwnd(), 2)), kCaptionText));
    const HGDIOBJ old = ::SelectObject(item.hDC, pen.get());
    if (item.CtlID == IDC_IMAGE1) { // a cross
        ::MoveToEx(item.hDC, box.left + inset, box.top + inset, nullptr);
        ::LineTo(item.hDC, box.right - inset, box.bottom - inset);
        ::MoveToEx(item.hDC, box.right - inset - 1, box.top + inset, nullptr);
        ::LineTo(item.hDC, box.left + inset - 1, box.bottom - inset);
    } else { // a bar at the bottom
        ::MoveToEx(item.hDC, box.left + inset, box.bottom - inset, nullptr);
        ::LineTo(item.hDC, box.right - inset, box.bottom - inset);
    }
    ::SelectObject(item.hDC, old);
}

LRESULT StatusWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kTimer1)
            Tick();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
        DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(hwnd(), &paint);
        RECT header{0, 0, Scale(hwnd(), kClientWidth), Scale(hwnd(), kHeaderHeight)};
        ::FillRect(dc, &header, header_.get());
        header.left = Scale(hwnd(), kMargin);
        const HGDIOBJ old = ::SelectObject(dc, titleFont_.get());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, kCaptionText);
        ::DrawTextW(dc, kCaption, -1, &header, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        ::SelectObject(dc, old);
        ::EndPaint(hwnd(), &paint);
        return 0;
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == Label19 || reinterpret_cast<HWND>(wParam) == Image1 ||
            reinterpret_cast<HWND>(wParam) == Image2) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        return Default(message, wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            HideToTray();
        return 0;
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED)
            HideToTray();
        return 0;
    case WM_DISPLAYCHANGE:
        ShowRows(rows_.ApplyDisplay(probes_->Display()));
        Place();
        return 0;
    case WM_SETTINGCHANGE:
        // The user's separators may have changed: the totals are formatted afresh now, the
        // rest at the next tick.
        RefreshNumberFormat();
        rows_ = StatusRows();
        rows_.ApplyTotals(totals_);
        rows_.ApplyDisplay(probes_->Display());
        if (::IsWindowVisible(hwnd()))
            RefreshAll();
        else
            ShowRows(~StatusRows::Changes{0});
        Place();
        return 0;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        CreateFonts();
        SetFonts();
        Layout();
        return 0;
    }
    case kQueryStatusTray:
        return MAKELRESULT(TrayArea1.IconId(), TrayArea1.Visible() ? 1 : 0);
    case WM_CLOSE:
        Exit();
        return 0;
    case WM_DESTROY:
        ::KillTimer(hwnd(), kTimer1);
        if (EndsProgram)
            ::PostQuitMessage(0);
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

} // namespace tessaly
