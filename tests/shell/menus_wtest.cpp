// The main window's menus as the user sees them, and the shutdown commands, driven inside this
// program so the call that would end the session goes to a stand-in.
#include "probes/exit_windows.h"
#include "settings/registry.h"
#include "shell/main_window.h"
#include "shell/resource.h"
#include "support/wine_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaly {
namespace {

// One line per item: "-" for a separator, the caption, and "Caption >" then the submenu's
// items indented for a submenu.
void Describe(HMENU menu, const std::wstring& indent, std::vector<std::wstring>& lines) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t caption[128] = {};
        MENUITEMINFOW item{sizeof item};
        item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
        item.dwTypeData = caption;
        item.cch = ARRAYSIZE(caption);
        ::GetMenuItemInfoW(menu, i, TRUE, &item);
        if (item.fType & MFT_SEPARATOR) {
            lines.push_back(indent + L"-");
        } else if (item.hSubMenu) {
            lines.push_back(indent + caption + L" >");
            Describe(item.hSubMenu, indent + L"  ", lines);
        } else {
            lines.push_back(indent + caption);
        }
    }
}

std::vector<std::wstring> MenuLines(int menuId) {
    std::vector<std::wstring> lines;
    const UniqueMenu menu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId)));
    Describe(::GetSubMenu(menu.get(), 0), L"", lines);
    return lines;
}

TEST(Menus, HoldEveryItemInOrder) {
    using Lines = std::vector<std::wstring>;
    EXPECT_EQ(MenuLines(IDM_W2), (Lines{L"Run New Task",
                                        L"System Information",
                                        L"-",
                                        L"Process Monitor",
                                        L"Startup Monitor",
                                        L"-",
                                        L"Options",
                                        L"View >",
                                        L"  Refresh",
                                        L"-",
                                        L"Check all processes online",
                                        L"Tessaly Home Page",
                                        L"Check For Updates",
                                        L"About",
                                        L"-",
                                        L"Save Process List To Log File",
                                        L"-",
                                        L"ShutDown >",
                                        L"  Log off User",
                                        L"  Restart Windows",
                                        L"  Shutdown Windows",
                                        L"-",
                                        L"Exit Tessaly"}));
    EXPECT_EQ(MenuLines(IDM_WW),
              (Lines{L"Process Details", L"Process Priority >", L"  Idel", L"  Normal", L"  High",
                     L"  RealTime", L"Terminate process", L"-", L"File Directory explore",
                     L"Read more about", L"-", L"End"}));
    EXPECT_EQ(MenuLines(IDM_WWW), (Lines{L"Read more about", L"Terminate process", L"-",
                                         L"Allow all programs currently running. ", L"-",
                                         L"Check all process online"}));
}

TEST(Menus, ShutDownItemsAskForTheirExitThroughTheStandIn) {
    test::InitMainWindowControls();
    SettingsStore settings;
    MainWindow window(StartOptions{}, settings);
    ASSERT_TRUE(window.Start());
    ASSERT_TRUE(test::PumpUntil([&] { return !window.Loading(); }, 30000));
    std::vector<UINT> calls;
    const ScopedExitWindowsEx seam([&](UINT flags, DWORD) {
        calls.push_back(flags & (EWX_LOGOFF | EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF));
        return FALSE;
    });
    const struct {
        int id;
        UINT flags;
    } cases[] = {{IDM_GG1_LOG_OFF, EWX_LOGOFF},
                 {IDM_GG2_RESTART, EWX_REBOOT},
                 {IDM_GG3_SHUTDOWN, EWX_SHUTDOWN}};
    for (const auto& c : cases) {
        calls.clear();
        ::SendMessageW(window.hwnd(), WM_COMMAND, c.id, 0);
        EXPECT_EQ(calls, std::vector<UINT>{c.flags}) << c.id;
    }
    ::DestroyWindow(window.hwnd());
    test::PumpFor(50);
    test::EndPelmoraStartedHere();
}

} // namespace
} // namespace tessaly
