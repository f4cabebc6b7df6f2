#include "monitor/status_window.h"

#include "monitor/resource.h"
#include "win32/platform.h"

#include <shellapi.h>

namespace tessaly {

namespace {
constexpr const wchar_t* kClassName = L"TessalyStatusMonitor";
}

bool StatusWindow::Start() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    icon_.reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PELMORA), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXSMICON),
                                                ::GetSystemMetrics(SM_CYSMICON), 0)));
    menu_.reset(::LoadMenuW(instance, MAKEINTRESOURCEW(IDM_A)));
    RegisterClassOnce(kClassName, icon_.get(), ::GetSysColorBrush(COLOR_BTNFACE));
    if (!Create(kClassName, L"Orvix System Information ", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                WS_EX_TOOLWINDOW, 0, 0, 0, 0))
        return false;
    TrayArea1.SetIcon(icon_.get());
    TrayArea1.MouseDown = [this](short) { ShowIconMenu(TrayArea1.LastPointer()); };
    TrayArea1.SetVisible(true);
    return true;
}

void StatusWindow::ShowIconMenu(POINT at) {
    ::SetForegroundWindow(hwnd());
    ::TrackPopupMenu(::GetSubMenu(menu_.get(), 0), TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
    ::PostMessageW(hwnd(), WM_NULL, 0, 0);
}

void StatusWindow::StartVarnok() {
    const std::wstring folder = ProgramFolder();
    const std::wstring program = folder + L"\\varnok.exe";
    if (::GetFileAttributesW(program.c_str()) != INVALID_FILE_ATTRIBUTES)
        ::ShellExecuteW(hwnd(), L"open", program.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

void StatusWindow::Exit() {
    TrayArea1.SetVisible(false);
    ::DestroyWindow(hwnd());
}

LRESULT StatusWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_B_SHOW)
            StartVarnok();
        else if (LOWORD(wParam) == IDM_H_EXIT)
            Exit();
        return 0;
    case WM_CLOSE:
        Exit();
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return Default(message, wParam, lParam);
    }
}

} // namespace tessaly
