#include "run/run_dialog.h"

#include "run/run_resource.h"
#include "run/run_rules.h"
#include "win32/platform.h"

#include <cderr.h>
#include <commdlg.h>
#include <shellapi.h>

#include <vector>

namespace tessaly {

namespace {
// The common dialog's own error codes, which the system's message table does not know.
std::wstring DialogErrorText(DWORD code) {
    switch (code) {
    case CDERR_DIALOGFAILURE:
        return L"The dialog box could not be created.";
    case CDERR_MEMALLOCFAILURE:
    case CDERR_MEMLOCKFAILURE:
        return L"There is not enough memory to show the dialog box.";
    case FNERR_BUFFERTOOSMALL:
        return L"The chosen file name is too long.";
    case FNERR_INVALIDFILENAME:
        return L"The file name is not valid.";
    default:
        return L"The file dialog reported an error.";
    }
}

std::wstring ShortPath(const std::wstring& path) {
    const DWORD length = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (length == 0)
        return {};
    std::wstring shortPath(length, L'\0');
    const DWORD written = ::GetShortPathNameW(path.c_str(), shortPath.data(), length);
    if (written == 0 || written >= length)
        return {};
    shortPath.resize(written);
    return shortPath;
}
} // namespace

void RunDialog::Open(HWND owner, HWND disableOnLoad, std::wstring title) {
    title_ = std::move(title);
    if (!Loaded()) {
        // While another dialog holds the owner, that one comes to the front instead.
        if (!CreateModeless(owner, IDD_FRMSHELL, disableOnLoad != nullptr))
            return;
        disableOnLoad_ = disableOnLoad;
        if (disableOnLoad_)
            ::EnableWindow(disableOnLoad_, FALSE);
    }
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    ::SetForegroundWindow(hwnd());
    ::SetFocus(::GetDlgItem(hwnd(), IDC_RUN_TXTPEFILE));
}

void RunDialog::OnInit() {
    RECT box{};
    ::GetWindowRect(hwnd(), &box);
    const int width = box.right - box.left, height = box.bottom - box.top;
    ::SetWindowPos(hwnd(), nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const HWND verbs = ::GetDlgItem(hwnd(), IDC_RUN_CMBSHELLEXEC);
    ::SendMessageW(verbs, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Open"));
    ::SendMessageW(verbs, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Edit"));
    ::SendMessageW(verbs, CB_SETCURSEL, 0, 0);
    // Room for a long path: the edit control's default limit is about 32,000 characters.
    ::SendDlgItemMessageW(hwnd(), IDC_RUN_TXTPEFILE, EM_SETLIMITTEXT, 32767, 0);
}

INT_PTR RunDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        Unload();
        return TRUE;
    }
    return Dialog::OnMessage(message, wParam, lParam);
}

void RunDialog::OnCommand(int id, int code, HWND) {
    switch (id) {
    case IDC_RUN_TXTPEFILE:
        if (code == EN_CHANGE)
            ShowVerbRow(VerbRowVisible(Text()));
        break;
    case IDC_RUN_COMMAND1:
        Browse();
        break;
    case IDC_RUN_CMDRUN:
    case IDOK:
        CreateProcessFromText();
        break;
    case IDCANCEL:
        Unload();
        break;
    default:
        break;
    }
}

std::wstring RunDialog::Text() const {
    return WindowText(::GetDlgItem(hwnd(), IDC_RUN_TXTPEFILE));
}

void RunDialog::ShowVerbRow(bool visible) {
    for (int id : {IDC_RUN_LBLSE, IDC_RUN_CMBSHELLEXEC})
        ::ShowWindow(::GetDlgItem(hwnd(), id), visible ? SW_SHOWNA : SW_HIDE);
}

void RunDialog::Unload() {
    // The main window first, so it takes the activation back when the dialog goes. Only the
    // first loading disables it, so only the first unloading gives it back: a later one must
    // not enable it under another dialog that holds it then.
    if (disableOnLoad_) {
        ::EnableWindow(disableOnLoad_, TRUE);
        ReleaseOwner();
        disableOnLoad_ = nullptr;
    }
    ::ShowWindow(hwnd(), SW_HIDE);
}

bool RunDialog::CreateProcessFromText() {
    const std::wstring text = Text();
    if (!RunAccepts(text)) {
        ::MessageBoxW(hwnd(), L"Please Select Valid Application", title_.c_str(), MB_OK);
        return false;
    }
    const std::wstring folder = ProgramFolder();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = hwnd();
    info.lpVerb = L"OPEN";
    info.lpFile = text.c_str();
    info.lpParameters = L"";
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) {
        // The dialog stays, with its text, so the user can mend the name.
        const DWORD error = ::GetLastError();
        const std::wstring message =
            text + L"\r\n\r\n" + ErrorText(error ? error : ERROR_FILE_NOT_FOUND);
        ::MessageBoxW(hwnd(), message.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
        return false;
    }
    Unload();
    return true;
}

void RunDialog::Browse() {
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = hwnd();
    dialog.lpstrFilter = L"PE File (*.exe)\0*.exe\0Associated Program\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&dialog)) {
        const DWORD error = ::CommDlgExtendedError();
        if (error != 0) { // 0: the user cancelled, which changes nothing
            const std::wstring title = L"Error [" + std::to_wstring(error) + L"]";
            ::MessageBoxW(hwnd(), DialogErrorText(error).c_str(), title.c_str(),
                          MB_OK | MB_ICONERROR);
        }
        return;
    }
    const std::wstring path = file.data();
    const BrowseChoice choice =
        ChosenFile(static_cast<int>(dialog.nFilterIndex), path,
                   dialog.nFilterIndex == 1 ? ShortPath(path) : std::wstring());
    ::SetDlgItemTextW(hwnd(), IDC_RUN_TXTPEFILE, choice.text.c_str());
    ShowVerbRow(choice.verbRowVisible);
}

} // namespace tessaly
