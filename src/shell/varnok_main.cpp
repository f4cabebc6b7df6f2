// varnok: the process manager.
#include "settings/registry.h"
#include "shell/main_window.h"
#include "shell/start_options.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS |
                                                       ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    ::InitCommonControlsEx(&controls);
    const tessaly::StartOptions options =
        tessaly::ParseStartOptions(tessaly::ArgumentsOf(::GetCommandLineW()));
    tessaly::SettingsStore settings;
    tessaly::MainWindow window(options, settings);
    if (!window.Start())
        return 1;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Keyboard navigation for whichever top-level window the message is for, the
        // modeless dialogs included.
        HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
        if (!root || !::IsDialogMessageW(root, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
