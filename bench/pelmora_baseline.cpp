// The floor for the pelmora benchmarks: every 250 ms the same system reads as pelmora's tick
// (memory status, CPU counters, disk space, the clock value, power status, display mode; the
// adapter once at start through pelmora's own query), and with "show" a translucent window of
// pelmora's size that sets the same number of texts and bars when their figures change.
#include "monitor/video_card.h"
#include "probes/cpu_sources.h"

#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <memory>
#include <string>

namespace {

constexpr int kTexts = 20, kBars = 7;
HWND texts[kTexts], bars[kBars];
std::wstring shown[kTexts];
std::unique_ptr<tessaly::CpuSampler> sampler;

void Show(int index, const std::wstring& text, int bar = -1) {
    if (shown[index] == text)
        return;
    shown[index] = text;
    SetWindowTextW(texts[index], text.c_str());
    if (bar >= 0 && index < kBars)
        SendMessageW(bars[index], PBM_SETPOS, bar, 0);
}

std::wstring Percent(double value) {
    wchar_t text[32];
    swprintf(text, 32, L"%.3f %%", value);
    return text;
}

void Tick() {
    const int cpu = sampler->Query();
    MEMORYSTATUSEX memory{sizeof memory};
    GlobalMemoryStatusEx(&memory);
    ULARGE_INTEGER available{}, total{}, free{};
    GetDiskFreeSpaceExW(L"c:\\", &available, &total, &free);
    DWORD mhz = 0, size = sizeof mhz;
    RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"~MHz",
                 RRF_RT_REG_DWORD, nullptr, &mhz, &size);
    SYSTEM_POWER_STATUS power{};
    GetSystemPowerStatus(&power);
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode);
    if (!IsWindowVisible(texts[0]))
        return;
    const double shares[] = {
        static_cast<double>(cpu),
        100.0 * memory.ullAvailPhys / memory.ullTotalPhys,
        static_cast<double>(memory.dwMemoryLoad),
        100.0 * memory.ullAvailPageFile / memory.ullTotalPageFile,
        100.0 * memory.ullAvailVirtual / memory.ullTotalVirtual,
        total.QuadPart ? 100.0 * free.QuadPart / total.QuadPart : 0,
        power.BatteryLifePercent == 255 ? 100.0 : power.BatteryLifePercent,
    };
    for (int i = 0; i < kBars; ++i)
        Show(i, Percent(shares[i]), static_cast<int>(shares[i] + 0.5));
    Show(7, std::to_wstring(mhz) + L" MHz");
    Show(8, power.ACLineStatus == 1 ? L"On Line" : L"Battery");
    Show(9, std::to_wstring(power.BatteryFlag));
    Show(10, std::to_wstring(power.BatteryLifeTime));
    Show(11, std::to_wstring(mode.dmPelsWidth) + L"x" + std::to_wstring(mode.dmPelsHeight));
}

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        Tick();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    tessaly::VideoCard video;
    video.QueryVideoInfo();
    sampler = tessaly::CreateCpuSampler();
    sampler->Initialize();
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"PelmoraBaseline";
    RegisterClassW(&wc);
    // pelmora's window: 378 x 444 client pixels at 96 DPI, translucent at 195 of 255.
    HWND window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, wc.lpszClassName,
                                  L"pelmora baseline", WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, 800,
                                  300, 380, 446, nullptr, nullptr, instance, nullptr);
    SetLayeredWindowAttributes(window, 0, 195, LWA_ALPHA);
    for (int i = 0; i < kTexts; ++i) {
        texts[i] = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER, 150,
                                   32 + 19 * i, 116, 17, window, nullptr, instance, nullptr);
        CreateWindowExW(0, L"STATIC", L"Caption:", WS_CHILD | WS_VISIBLE, 8, 32 + 19 * i, 140, 17,
                        window, nullptr, instance, nullptr);
    }
    // The texts in the message font at 9 points, as any window of figures has them.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    metrics.lfMessageFont.lfHeight = -12;
    const HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    EnumChildWindows(
        window,
        [](HWND child, LPARAM font) {
            SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(font));
    for (int i = 0; i < kBars; ++i)
        bars[i] = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 276,
                                  34 + 19 * i, 92, 13, window, nullptr, instance, nullptr);
    if (wcsstr(commandLine, L"show"))
        ShowWindow(window, SW_SHOWNORMAL);
    SetTimer(window, 1, 250, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
