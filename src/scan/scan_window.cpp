#include "scan/scan_window.h"

#include "common/display_text.h"
#include "scan/identity.h"
#include "scan/opener.h"
#include "scan/scan_resource.h"

#include <algorithm>

namespace tessaly {

namespace {

constexpr UINT kRunChanged = WM_APP + 0x340;

// The addresses come from the settings: only web addresses are handed to the shell.
void OpenWebAddress(HWND owner, const ShellOpen& request) {
    OpenAddress(owner, request.file);
}

} // namespace

ScanWindow::~ScanWindow() {
    Closed = nullptr;
    Close();
}

bool ScanWindow::Show(HWND owner) {
    if (hwnd())
        return true;
    // One dialog holding the owner at a time: another one open is brought forward instead.
    return ShowHoldingOwner(owner, IDD_FORM6);
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

void ScanWindow::OnInit() {
    MakeControls();
    state_ = ScanState::Idle;
    Apply(ScanViewFor(state_, false));
    CentreOnScreen();
}

void ScanWindow::MakeControls() {
    FreeLink1.Create(hwnd(), 0,
                     WebLinkDesign(L"The Security check sends info about the files to server. "
                                   L"click to read our privacy policy",
                                   true),
                     L"FreeLink1");
    // The address is read at each click, so a changed setting needs no restart.
    FreeLink1.Click = [this] { FreeLink1.SetHyperLink(PrivacyAddress(LookupServer(settings_))); };
    FreeLink2.Create(hwnd(), 0, WebLinkDesign(L"See the results of Security check"), L"FreeLink2");
    FreeLink1.Shell = FreeLink2.Shell = OpenWebAddress;
    pb1.Create(hwnd(), 0, {});
    pb1.SetAccessibleName(L"Security check progress");
    TakeDialogItemPlace(hwnd(), IDC_F6_FREELINK2, FreeLink2.hwnd());
    TakeDialogItemPlace(hwnd(), IDC_F6_PB1, pb1.hwnd());
    TakeDialogItemPlace(hwnd(), IDC_F6_FREELINK1, FreeLink1.hwnd());
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
    pb1.SetValue(0); // always inside the range, whatever the last run left
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
    if (progress.count > 0) {
        // Full at the last file. Both stay inside what the bar accepts (its minimum is 0), so
        // it never has a refusal to show.
        const auto max = static_cast<int32_t>(std::min<size_t>(progress.count - 1, INT32_MAX));
        pb1.SetMax(max);
        pb1.SetValue(static_cast<int32_t>(std::min<size_t>(progress.index, max)));
    }
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
    FreeLink2.SetHyperLink(resultAddress_);
    Apply(ScanViewFor(state_, outcome.answered));
    if (outcome.cancelled)
        return;
    const EndMessage end = RunEndMessage(outcome.warnings.size(), outcome.failure);
    const UINT icon = end.critical      ? MB_ICONERROR
                      : end.warningIcon ? MB_ICONWARNING
                                        : MB_ICONINFORMATION;
    ::MessageBoxW(hwnd(), end.text.c_str(), L"Tessaly", MB_OK | icon);
}

void ScanWindow::ClickLink(FreeLink& link) {
    if (::IsWindowVisible(link.hwnd()))
        link.Activate();
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
            ClickLink(id == IDC_F6_FREELINK1 ? FreeLink1 : FreeLink2);
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
