// Drives and reads a running pelmora for the benchmarks, from inside its Wine prefix.
//   pelmora_tool show      clicks its icon so the window shows (as a left click does)
//   pelmora_tool objects   prints "handles N gdi G user U" for pelmora.exe (-1: not reported)
#include "monitor/status_window.h"
#include "support/system_handles.h"
#include "support/wine_test_support.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    if (wcscmp(argv[1], L"show") == 0) {
        // The window exists from the first step of pelmora's start; the icon comes later.
        HWND window = nullptr;
        DWORD_PTR answer = 0;
        for (int tries = 0; tries < 300 && HIWORD(answer) == 0; ++tries) {
            if (tries)
                ::Sleep(100);
            window = ::FindWindowW(L"TessalyStatusMonitor", nullptr);
            if (window)
                ::SendMessageTimeoutW(window, tessaly::kQueryStatusTray, 0, 0, SMTO_ABORTIFHUNG,
                                      5000, &answer);
        }
        if (HIWORD(answer) == 0)
            return 1;
        ::PostMessageW(::GetWindow(window, GW_OWNER), tessaly::TrayArea::kCallbackMessage,
                       LOWORD(answer), WM_LBUTTONDOWN);
        for (int tries = 0; tries < 100 && !::IsWindowVisible(window); ++tries)
            ::Sleep(100);
        return ::IsWindowVisible(window) ? 0 : 1;
    }
    if (wcscmp(argv[1], L"objects") == 0) {
        const auto found = tessaly::test::ProcessesNamed(L"pelmora.exe");
        if (found.empty())
            return 1;
        const tessaly::UniqueKernelHandle process(
            ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, found[0].id));
        const DWORD gdi = process ? ::GetGuiResources(process.get(), GR_GDIOBJECTS) : 0;
        const DWORD user = process ? ::GetGuiResources(process.get(), GR_USEROBJECTS) : 0;
        std::printf("handles %ld gdi %ld user %ld\n", tessaly::test::CountHandlesOf(found[0].id),
                    gdi ? static_cast<long>(gdi) : -1L, user ? static_cast<long>(user) : -1L);
        return 0;
    }
    return 2;
}
