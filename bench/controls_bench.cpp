// Painting the drawn controls against the common controls they stand in for, at the same size
// and DPI: 2,000 paints of each into a memory DC by WM_PRINTCLIENT, the time of each and the
// ratio to its common control, and the GDI objects alive before and after.
// Usage (bench/controls.sh runs it at 96 and 192 DPI): controls_bench [paints]
#include "controls/chameleon_button.h"
#include "controls/free_link.h"
#include "controls/paint_tools.h"
#include "controls/xp_progress_bar.h"
#include "support/gdi_objects.h"
#include "win32/platform.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace tessaly;

namespace {

double PaintMs(HWND window, HDC dc, int paints) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < paints; ++i)
        ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    ::GdiFlush();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int paints = argc > 1 ? std::max(1, _wtoi(argv[1])) : 2000;
    INITCOMMONCONTROLSEX init{sizeof init,
                              ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_LINK_CLASS};
    ::InitCommonControlsEx(&init);
    WNDCLASSW host{};
    host.lpfnWndProc = ::DefWindowProcW;
    host.hInstance = ::GetModuleHandleW(nullptr);
    host.hbrBackground = ::GetSysColorBrush(COLOR_WINDOW);
    host.lpszClassName = L"ControlsBenchHost";
    ::RegisterClassW(&host);
    HWND parent = ::CreateWindowW(host.lpszClassName, L"controls bench", WS_OVERLAPPEDWINDOW, 0, 0,
                                  600, 400, nullptr, nullptr, host.hInstance, nullptr);
    const UINT dpi = WindowDpi(parent);
    UniqueFont font = MakeFont(nullptr, {}, dpi);
    const int width = Scale(parent, 150), height = Scale(parent, 28);

    ChameleonButton button;
    button.Create(parent, 1, {{L"BTYPE", int32_t{8}}, {L"COLTYPE", int32_t{2}}}, L"Process");
    FreeLink link;
    link.Create(parent, 2, {{L"Caption", std::wstring(L"Terminate explorer.exe Process")}},
                L"FreeLink2");
    XpProgressBar bar;
    bar.Create(parent, 3, {});
    bar.SetValue(37);
    const auto common = [&](const wchar_t* cls, const wchar_t* text, DWORD style) {
        return ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, width, height,
                                 parent, nullptr, host.hInstance, nullptr);
    };
    HWND pushButton = common(L"BUTTON", L"Process", BS_PUSHBUTTON);
    HWND sysLink = common(WC_LINK, L"<a>Terminate explorer.exe Process</a>", 0);
    HWND progress = common(PROGRESS_CLASSW, L"", 0);
    ::SendMessageW(progress, PBM_SETPOS, 37, 0);
    struct Pair {
        const char* name;
        HWND ours, theirs;
    } pairs[] = {{"button vs themed push button", button.hwnd(), pushButton},
                 {"link vs SysLink", link.hwnd(), sysLink},
                 {"progress bar vs msctls_progress32", bar.hwnd(), progress}};
    for (const Pair& p : pairs)
        for (HWND w : {p.ours, p.theirs}) {
            ::MoveWindow(w, 0, 0, width, height, FALSE);
            ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        }
    ::ShowWindow(parent, SW_SHOWNORMAL);

    HDC screen = ::GetDC(nullptr);
    UniqueMemoryDc dc(::CreateCompatibleDC(screen));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc.get(), bitmap.get());
    for (const Pair& p : pairs) { // warm-up: theme data, fonts, caches
        PaintMs(p.ours, dc.get(), 20);
        PaintMs(p.theirs, dc.get(), 20);
    }
    const size_t gdiBefore = test::LiveGdiObjects();
    std::printf("%d paints of %dx%d at %u DPI (ms; median of 3 alternating turns)\n", paints, width,
                height, dpi);
    for (const Pair& p : pairs) {
        std::vector<double> ours, theirs;
        for (int turn = 0; turn < 3; ++turn) {
            ours.push_back(PaintMs(p.ours, dc.get(), paints));
            theirs.push_back(PaintMs(p.theirs, dc.get(), paints));
        }
        std::sort(ours.begin(), ours.end());
        std::sort(theirs.begin(), theirs.end());
        std::printf("  %-36s %8.1f  %8.1f  %.2fx\n", p.name, ours[1], theirs[1],
                    theirs[1] > 0 ? ours[1] / theirs[1] : 0.0);
    }
    const size_t gdiAfter = test::LiveGdiObjects();
    std::printf("  GDI objects alive: %zu before, %zu after\n", gdiBefore, gdiAfter);
    ::SelectObject(dc.get(), old);
    ::DestroyWindow(parent);
    return 0;
}
