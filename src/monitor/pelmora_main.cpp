// pelmora: the tray status monitor.
#include "monitor/status_window.h"
#include "win32/handles.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // A second instance ends at once, before it shows an icon.
    const tessaly::UniqueKernelHandle instance(
        ::CreateMutexW(nullptr, FALSE, tessaly::kPelmoraInstanceName));
    if (!instance || ::GetLastError() == ERROR_ALREADY_EXISTS)
        return 0;
    INITCOMMONCONTROLSEX controls{sizeof controls,
                                  ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    tessaly::StatusWindow window;
    if (!window.Start())
        return 1;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Keyboard navigation for the "New Task" dialog, which is modeless.
        const HWND dialog = window.RunNewTask().hwnd();
        if (!dialog || !::IsDialogMessageW(dialog, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
