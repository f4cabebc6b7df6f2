// The status monitor's probes and the shutdown class against the real system under Wine:
// registry values the test writes, the real disk, display adapter and process token.
#include "monitor/hardware_probes.h"
#include "monitor/video_card.h"
#include "probes/exit_windows.h"
#include "support/system_handles.h"
#include "support/wine_test_support.h"
#include "win32/handles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace tessaly {
namespace {

constexpr const wchar_t* kProcessorKey = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

// A value set for the test and put back as it was afterwards.
class ValueGuard {
public:
    ValueGuard(HKEY root, const wchar_t* subKey, const wchar_t* name) : name_(name) {
        HKEY key = nullptr;
        ::RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_VOLATILE,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr);
        key_.reset(key);
        DWORD size = 0;
        had_ = ::RegQueryValueExW(key, name, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
        old_.resize(size);
        if (had_)
            ::RegQueryValueExW(key, name, nullptr, &type_, old_.data(), &size);
    }
    ~ValueGuard() {
        if (had_)
            ::RegSetValueExW(key_.get(), name_.c_str(), 0, type_, old_.data(),
                             static_cast<DWORD>(old_.size()));
        else
            ::RegDeleteValueW(key_.get(), name_.c_str());
    }
    void SetDword(DWORD value) {
        ::RegSetValueExW(key_.get(), name_.c_str(), 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    void SetText(const std::wstring& text) {
        ::RegSetValueExW(key_.get(), name_.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    void Remove() { ::RegDeleteValueW(key_.get(), name_.c_str()); }

private:
    UniqueRegKey key_;
    std::wstring name_;
    bool had_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> old_;
};

TEST(HardwareProbes, DiskSpaceOfTheWindowsDriveAndOfAMissingOne) {
    const std::wstring root = SysDriveRoot();
    ASSERT_EQ(root.size(), 3u);
    EXPECT_EQ(root[0], static_cast<wchar_t>(towlower(WindowsFolder()[0])));
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free));
    const DiskReading disk = DiskSpace(root);
    ASSERT_TRUE(disk.ok);
    EXPECT_EQ(disk.total, total.QuadPart);
    EXPECT_GT(disk.total, 0u);
    EXPECT_LE(disk.free, disk.total);
    EXPECT_EQ(DiskTotalBytes(root), static_cast<int64_t>(total.QuadPart));

    const DWORD drives = ::GetLogicalDrives();
    wchar_t letter = L'Z';
    while (letter > L'D' && (drives & (1u << (letter - L'A'))))
        --letter;
    const std::wstring missing = std::wstring(1, letter) + L":\\";
    EXPECT_FALSE(DiskSpace(missing).ok) << "drive " << test::Narrow(missing);
    EXPECT_EQ(DiskTotalBytes(missing), 0);
    EXPECT_EQ(DiskFreeBytes(missing), 0);
}

TEST(HardwareProbes, RegistryNumbersAndTheProcessorName) {
    ValueGuard mhz(HKEY_LOCAL_MACHINE, kProcessorKey, L"~MHz");
    ValueGuard name(HKEY_LOCAL_MACHINE, kProcessorKey, L"ProcessorNameString");

    mhz.SetDword(3000);
    EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, kProcessorKey, L"~MHz"), 3000u);
    ASSERT_TRUE(RefreshCpuSpeed());
    EXPECT_EQ(CpuSpeed(), L"3.00 GHz");

    mhz.SetText(L"3000");
    EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, kProcessorKey, L"~MHz"), 0u) << "REG_SZ is no DWORD";
    mhz.Remove();
    EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, kProcessorKey, L"~MHz"), 0u);
    ASSERT_TRUE(RefreshCpuSpeed());
    EXPECT_EQ(CpuSpeed(), L"0.00 MHz");
    EXPECT_EQ(ReadRegDword(HKEY_LOCAL_MACHINE, L"SOFTWARE\\No\\Such\\Key", L"~MHz"), 0u);

    name.SetText(L"   Tèst CPU @ 3.00GHz  ");
    EXPECT_EQ(GetProcessorName(), L"Tèst CPU @ 3.00GHz");
    name.Remove();
    EXPECT_EQ(GetProcessorName(), L"");
}

TEST(VideoCard, RealAdapterOrUnknownEverywhere) {
    VideoCard real;
    real.QueryVideoInfo();
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    ASSERT_TRUE(::EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    EXPECT_NE(real.VideoCardName(), L"Unknown");
    EXPECT_FALSE(real.VideoCardName().empty());
    EXPECT_EQ(real.VideoResolution(),
              std::to_wstring(mode.dmPelsWidth) + L"x" + std::to_wstring(mode.dmPelsHeight));
    EXPECT_EQ(real.ColorDepth(), std::to_wstring(mode.dmBitsPerPel) + L"-bit");
    EXPECT_NE(real.VideoMemory(), L"Unknown");

    VideoCard failing(L"no_such_dxgi.dll");
    failing.QueryVideoInfo();
    EXPECT_EQ(failing.VideoCardName(), L"Unknown");
    EXPECT_EQ(failing.VideoResolution(), L"Unknown");
    EXPECT_EQ(failing.VideoMemory(), L"Unknown");
    EXPECT_EQ(failing.ColorDepth(), L"Unknown-bit");
}

TEST(MakeTransparent, LayeredAlwaysOpacityOnlyWithinRange) {
    const struct {
        BYTE opacity;
        bool alphaSet;
        BYTE alpha;
    } cases[] = {{190, true, 195}, {40, false, 0}, {250, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.opacity));
        const HWND window = test::MakePlainWindow(L"layered", WS_POPUP, 0, 0, 50, 50);
        ASSERT_NE(window, nullptr);
        ::SetWindowLongW(window, GWL_EXSTYLE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        MakeTransparent(window, c.opacity);
        EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(window, GWL_EXSTYLE)) & ~WS_EX_TOPMOST,
                  static_cast<DWORD>(WS_EX_LAYERED));
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        const bool read = ::GetLayeredWindowAttributes(window, &key, &alpha, &flags) != FALSE;
        EXPECT_EQ(read && (flags & LWA_ALPHA), c.alphaSet);
        if (c.alphaSet) {
            EXPECT_EQ(alpha, c.alpha);
        }
        ::DestroyWindow(window);
    }
}

// Whether the shutdown privilege is enabled in this process's token.
bool ShutdownPrivilegeEnabled() {
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &opened))
        return false;
    const UniqueKernelHandle token(opened);
    LUID shutdown{};
    ::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &shutdown);
    PRIVILEGE_SET set{1, PRIVILEGE_SET_ALL_NECESSARY, {{shutdown, 0}}};
    BOOL enabled = FALSE;
    return ::PrivilegeCheck(token.get(), &set, &enabled) && enabled;
}

void SetShutdownPrivilege(bool enabled) {
    HANDLE opened = nullptr;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &opened));
    const UniqueKernelHandle token(opened);
    TOKEN_PRIVILEGES privileges{1, {{{}, enabled ? DWORD{SE_PRIVILEGE_ENABLED} : 0}}};
    ::LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

TEST(ExitWindows, EnablesThePrivilegeAndAsksThroughTheSeam) {
    std::vector<std::pair<UINT, DWORD>> calls;
    const ScopedExitWindowsEx seam([&](UINT flags, DWORD reason) {
        calls.emplace_back(flags, reason);
        return FALSE; // refused: everything carries on
    });
    const struct {
        int32_t option;
        bool asks;
        UINT flags;
    } cases[] = {{0, true, EWX_LOGOFF | EWX_FORCEIFHUNG},
                 {1, true, EWX_SHUTDOWN | EWX_FORCEIFHUNG},
                 {2, true, EWX_REBOOT | EWX_FORCEIFHUNG},
                 {8, true, EWX_POWEROFF | EWX_FORCEIFHUNG},
                 {3, false, 0},
                 {-1, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        SetShutdownPrivilege(false);
        ASSERT_FALSE(ShutdownPrivilegeEnabled());
        calls.clear();
        clsExitWindows().ExitWindows(c.option);
        EXPECT_TRUE(ShutdownPrivilegeEnabled()) << "the privilege step runs for every option";
        ASSERT_EQ(calls.size(), c.asks ? 1u : 0u);
        if (c.asks) {
            EXPECT_EQ(calls[0].first, c.flags);
            EXPECT_EQ(calls[0].second, DWORD{SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER |
                                             SHTDN_REASON_FLAG_PLANNED});
        }
    }
}

TEST(ExitWindows, LeavesNoTokenHandleBehind) {
    const ScopedExitWindowsEx seam([](UINT, DWORD) { return FALSE; });
    clsExitWindows().ExitWindows(3); // anything loaded on first use is loaded now
    const long before = test::CountHandlesOf(::GetCurrentProcessId());
    ASSERT_GT(before, 0) << "the system's handle list could not be read";
    for (int i = 0; i < 50; ++i)
        clsExitWindows().ExitWindows(i % 2 ? 0 : 3);
    EXPECT_EQ(test::CountHandlesOf(::GetCurrentProcessId()), before);
}

} // namespace
} // namespace tessaly
