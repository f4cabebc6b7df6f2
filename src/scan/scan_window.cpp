#include "scan/scan_window.h"

#include "common/display_text.h"
#include "scan/identity.h"
#include "scan/opener.h"
#include "scan/scan_resource.h"

#include <commctrl.h>

#include <algorithm>

namespace tessaly {

namespace {

constexpr UINT kRunChanged = WM_APP + 0x340;

} // namespace

ScanWindow::~ScanWindow() {
    Closed = nullptr;
    Close();
}

bool ScanWindow::Show(HWND owner) {
    if (hwnd())
        return true;
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LINK_CLASS | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    owner_ = owner;
    // One dialog holding the owner at a time: another one open is brought forward instead.
    if (!CreateModeless(owner, IDD_FORM6, true))
        return false;
    if (owner_) {
        ::EnableWindow(owner_, FALSE);
        ownerDisabled_ = true;
    }
    ::ShowWindow(hwnd(), SW_SHOW);
    return true;
}

void ScanWindow::Close() {
    // The run goes first, so nothing it posts finds the window half gone.
    if (run_)
        run_->Stop();
    run_.reset();
    if (!hwnd())
        return;
    GiveOwnerBack();
    ::DestroyWindow(hwnd());
}

void ScanWindow::GiveOwnerBack() {
    if (ownerDisabled_ && ::IsWindow(owner_))
        ::EnableWindow(owner_, TRUE);
    ownerDisabled_ = false;
}

void ScanWindow::OnInit() {
    state_ = ScanState::Idle;
    Apply(ScanViewFor(state_, false));
    CentreOnScreen();
}

void ScanWindow::CentreOnScreen() {
    RECT window{};
    if (!::GetWindowRect(hwnd(), &window))
        return;
    const int width = window.right - window.left, height = window.bottom - window.top;
    const int x = std::max(0, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    const int y = std::max(0, (::GetSystemMetrics(SM_CYSCREEN) - height) / 2);
    ::SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ScanWindow::Apply(const ScanWindowView& view) {
    const auto show = [this](int id, bool visible) {
        ::ShowWindow(::GetDlgItem(hwnd(), id), visible ? SW_SHOWNA : SW_HIDE);
    };
    show(IDC_F6_LABEL2, view.description);
    show(IDC_F6_LABEL1, view.status);
    show(IDC_F6_PB1, view.progress);
    show(IDC_F6_FREELINK2, view.resultsLink);
    const HWND start = ::GetDlgItem(hwnd(), IDC_F6_COMMAND7);
    if (!view.startEnabled && ::GetFocus() == start)
        ::SendMessageW(hwnd(), WM_NEXTDLGCTL,
                       reinterpret_cast<WPARAM>(::GetDlgItem(hwnd(), IDC_F6_COMMAND1)), TRUE);
    ::EnableWindow(start, view.startEnabled);
}

void ScanWindow::StartCheck() {
    if (state_ == ScanState::Running || !hwnd())
        return;
    // The address is read at every run, so a changed setting needs no restart.
    base_ = LookupServer(settings_);
    const std::wstring key = RunScanKey(SecondsSinceMidnight());
    resultAddress_ = ReportAddress(base_, key);
    ::SendDlgItemMessageW(hwnd(), IDC_F6_PB1, PBM_SETPOS, 0, 0);
    ::SetDlgItemTextW(hwnd(), IDC_F6_LABEL1, L"Now Checking :");
    state_ = ScanState::Running;
    Apply(ScanViewFor(state_, false));
    run_ = std::make_unique<ScanRun>(hwnd(), kRunChanged, base_, key, Files);
    run_->Start();
}

void ScanWindow::OnProgress() {
    if (!run_)
        return;
    const ScanProgress progress = run_->Progress();
    const HWND bar = ::GetDlgItem(hwnd(), IDC_F6_PB1);
    ::SendMessageW(bar, PBM_SETRANGE32, 0,
                   static_cast<LPARAM>(std::max<size_t>(progress.count, 1)));
    ::SendMessageW(bar, PBM_SETPOS, progress.index, 0);
    if (!progress.status.empty())
        ::SetDlgItemTextW(hwnd(), IDC_F6_LABEL1, DisplayText(progress.status).c_str());
    if (progress.finished)
        Finish();
}

void ScanWindow::Finish() {
    run_->Stop(); // joins the thread, which has finished
    const ScanOutcome outcome = run_->Outcome();
    run_.reset();
    state_ = ScanState::Done;
    Apply(ScanViewFor(state_, outcome.answered));
    if (outcome.cancelled)
        return;
    const EndMessage end = RunEndMessage(outcome.warnings.size(), outcome.failure);
    const UINT icon = end.critical      ? MB_ICONERROR
                      : end.warningIcon ? MB_ICONWARNING
                                        : MB_ICONINFORMATION;
    ::MessageBoxW(hwnd(), end.text.c_str(), L"Tessaly", MB_OK | icon);
}

void ScanWindow::OpenLink(int id) {
    if (id == IDC_F6_FREELINK1)
        OpenAddress(hwnd(), PrivacyAddress(LookupServer(settings_)));
    else if (id == IDC_F6_FREELINK2 && ::IsWindowVisible(::GetDlgItem(hwnd(), id)))
        OpenAddress(hwnd(), resultAddress_);
}

void ScanWindow::OnCommand(int id, int code, HWND) {
    switch (id) {
    case IDC_F6_COMMAND7:
        StartCheck();
        break;
    case IDC_F6_FREELINK1:
    case IDC_F6_FREELINK2:
        // The links' command IDs do what clicking them does, like every button's.
        if (code == 0)
            OpenLink(id);
        break;
    case IDC_F6_COMMAND1:
    case IDCANCEL: // Esc
        Close();
        break;
    default:
        break;
    }
}

INT_PTR ScanWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kRunChanged:
        OnProgress();
        return TRUE;
    case WM_CLOSE: // the close box
        Close();
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == NM_CLICK || header->code == NM_RETURN) {
            OpenLink(static_cast<int>(header->idFrom));
            return TRUE;
        }
        return FALSE;
    }
    case WM_DESTROY:
        GiveOwnerBack();
        if (Closed)
            Closed();
        return FALSE;
    default:
        return Dialog::OnMessage(message, wParam, lParam);
    }
}

} // namespace tessaly
