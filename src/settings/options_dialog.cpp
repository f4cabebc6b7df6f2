#include "settings/options_dialog.h"

#include "settings/options_resource.h"
#include "win32/platform.h"

#include <commctrl.h>

namespace tessaly {

OptionsDialog::OptionsDialog(const SettingsStore& store, HKEY userRoot, std::wstring programFolder)
    : store_(store), userRoot_(userRoot), programFolder_(std::move(programFolder)) {
    ShowMessage = [](HWND owner, const std::wstring& text, UINT type) {
        ::MessageBoxW(owner, text.c_str(), L"Tessaly", type);
    };
}

void OptionsDialog::OnInit() {
    ::SendDlgItemMessageW(hwnd(), IDC_UPDOWN1, UDM_SETBUDDY,
                          reinterpret_cast<WPARAM>(::GetDlgItem(hwnd(), IDC_TEXT1)), 0);
    ::SendDlgItemMessageW(hwnd(), IDC_UPDOWN1, UDM_SETRANGE32, 0, 3600);
    ::SendDlgItemMessageW(hwnd(), IDC_TEXT1, EM_LIMITTEXT, kSecondsTextLimit, 0);
    Put(LoadOptions(store_));
}

void OptionsDialog::Put(const OptionsModel& model) {
    ::CheckDlgButton(hwnd(), IDC_CHECK1, model.autoRefresh ? BST_CHECKED : BST_UNCHECKED);
    if (model.hasSeconds) {
        // The up-down control writes its buddy when its position is set, so the stored text
        // goes in afterwards and stands as it was stored.
        ::SendDlgItemMessageW(hwnd(), IDC_UPDOWN1, UDM_SETPOS32, 0, model.secondsNumber);
        ::SetDlgItemTextW(hwnd(), IDC_TEXT1, model.seconds.c_str());
    } else {
        ::SetDlgItemTextW(hwnd(), IDC_TEXT1, L"");
    }
    ::CheckDlgButton(hwnd(), IDC_CHECK2, model.autostart ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(hwnd(), IDC_CHECK3, model.startupMonitor ? BST_CHECKED : BST_UNCHECKED);
}

OptionsModel OptionsDialog::Get() const {
    OptionsModel model;
    model.autoRefresh = ::IsDlgButtonChecked(hwnd(), IDC_CHECK1) == BST_CHECKED;
    model.seconds = WindowText(::GetDlgItem(hwnd(), IDC_TEXT1));
    model.hasSeconds = true;
    model.secondsNumber =
        static_cast<int>(::SendDlgItemMessageW(hwnd(), IDC_UPDOWN1, UDM_GETPOS32, 0, 0));
    model.autostart = ::IsDlgButtonChecked(hwnd(), IDC_CHECK2) == BST_CHECKED;
    model.startupMonitor = ::IsDlgButtonChecked(hwnd(), IDC_CHECK3) == BST_CHECKED;
    return model;
}

void OptionsDialog::Save() {
    const SaveResult result = SaveOptions(store_, userRoot_, Get(), programFolder_);
    ShowMessage(hwnd(), SaveMessage(result),
                MB_OK | (result.ok() ? MB_ICONEXCLAMATION : MB_ICONWARNING));
}

void OptionsDialog::OnCommand(int id, int code, HWND control) {
    if (id == IDC_COMMAND2 && code == BN_CLICKED) {
        Save(); // the dialog stays open
        return;
    }
    Dialog::OnCommand(id, code, control);
}

} // namespace tessaly
