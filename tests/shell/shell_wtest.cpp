// The two programs as the user meets them: real varnok.exe and pelmora.exe processes started
// from the build folder, watched through their windows, the shell's notification area and
// the process table.
#include "shell/varnok_driver.h"

namespace tessaly {
namespace {

TEST_F(ShellTest, PlainStartShowsTheLoadedListAndStartsPelmora) {
    Child varnok(kVarnok);
    ASSERT_TRUE(varnok) << "varnok.exe could not be started";
    const HWND window = StartVarnok(varnok);
    ASSERT_NE(window, nullptr) << "no main window within 20 s";

    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, kStartTimeout));
    EXPECT_EQ(TextOf(window), L"Tessaly");
    EXPECT_FALSE(::GetParent(window));

    const int count = ProcessCount(window);
    EXPECT_GT(count, 0);
    EXPECT_EQ(ListRows(window), count);

    // Real rows: this test and varnok itself are listed under their names and IDs (columns
    // "Process Name", "Memory usage Kb", "ID").
    const auto rows = ListCells(::GetDlgItem(window, IDC_LSTPROCESSES), 3);
    const auto listed = [&](const wchar_t* name, DWORD processId) {
        return std::any_of(rows.begin(), rows.end(), [&](const std::vector<std::wstring>& row) {
            return SameName(row[0], name) && row[2] == std::to_wstring(processId);
        });
    };
    EXPECT_TRUE(listed(kVarnok, varnok.Id()));
    EXPECT_TRUE(listed(L"shell_wtest.exe", ::GetCurrentProcessId()));

    EXPECT_FALSE(QueryTray(window).visible);

    std::vector<ProcessEntry> pelmora;
    EXPECT_TRUE(
        WaitUntil([&] { return !(pelmora = ProcessesNamed(kPelmora)).empty(); }, kStartTimeout))
        << "varnok did not start pelmora";
    ASSERT_EQ(pelmora.size(), 1u);
    EXPECT_EQ(pelmora[0].parentId, varnok.Id());
}

struct StartCase {
    const char* name;
    const wchar_t* arguments;
    bool hidden;
};

class StartArgumentTest : public ShellTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartArgumentTest, HiddenOnlyForTheSingleWordS) {
    const StartCase& c = GetParam();
    Child varnok(kVarnok, c.arguments);
    ASSERT_TRUE(varnok);
    const HWND window = StartVarnok(varnok);
    ASSERT_NE(window, nullptr) << "no main window within 20 s";
    ASSERT_GT(ProcessCount(window), 0) << "the list never loaded";
    const HWND trayWindow = TopLevelWindow(varnok.Id(), kTrayClass);
    ASSERT_NE(trayWindow, nullptr);

    if (!c.hidden) {
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, 5s));
        EXPECT_FALSE(QueryTray(window).visible);
        return;
    }

    // The window is shown, if at all, right after the list is loaded; give it the chance.
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(::IsWindowVisible(window));
    const TrayState tray = QueryTray(window);
    EXPECT_TRUE(tray.visible);
    EXPECT_NE(tray.iconId, 0u);
    EXPECT_TRUE(ShellHasIcon(trayWindow, tray.iconId)) << "the shell has no such icon";

    // Once varnok has gone the shell answers no for the same owner and id, so the yes above
    // came from a live icon. Wine's shell drops the icons of a destroyed window by itself, so
    // whether varnok deletes its icon is checked while the window lives, on the way back from
    // the tray.
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(varnok.WaitForExit(5s));
    EXPECT_FALSE(ShellHasIcon(trayWindow, tray.iconId)) << "the icon outlived varnok";
}

INSTANTIATE_TEST_SUITE_P(Arguments, StartArgumentTest,
                         ::testing::Values(StartCase{"None", L"", false},
                                           StartCase{"S", L"s", true},
                                           StartCase{"BlankedUpperS", L" S ", true},
                                           StartCase{"SAndMore", L"s x", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShellTest, AltHotkeyTogglesTheWindowWithoutTheTrayIcon) {
    const RegistryValues hotkey(L"software\\orvix\\tessaly\\ramopt",
                                {{L"1", L"1"}, {L"key", L"P"}});
    ASSERT_TRUE(hotkey.Written());
    Child varnok(kVarnok);
    const HWND window = StartVarnok(varnok);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, kStartTimeout));

    PressAltWith('P');
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }, 5s))
        << "Alt+P did not hide the window";
    EXPECT_FALSE(QueryTray(window).visible) << "hiding by hotkey must not show the tray icon";

    PressAltWith('P');
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, 5s))
        << "Alt+P did not show the window again";
    EXPECT_FALSE(QueryTray(window).visible);

    // Another letter is not the hotkey.
    PressAltWith('Q');
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(::IsWindowVisible(window));
}

TEST_F(ShellTest, ClosingEndsVarnokAndLeavesPelmora) {
    Child varnok(kVarnok);
    const HWND window = StartVarnok(varnok);
    ASSERT_NE(window, nullptr);
    std::vector<ProcessEntry> pelmora;
    ASSERT_TRUE(
        WaitUntil([&] { return !(pelmora = ProcessesNamed(kPelmora)).empty(); }, kStartTimeout));

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(varnok.WaitForExit(5s)) << "varnok still runs after WM_CLOSE";
    EXPECT_EQ(varnok.ExitCode(), 0u);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_TRUE(IsRunning(pelmora[0].id)) << "pelmora ended with varnok";
}

TEST_F(ShellTest, PelmoraRunsOnce) {
    Child first(kPelmora);
    ASSERT_TRUE(first);
    const HWND tray = WaitForWindow(first.Id(), kTrayClass);
    ASSERT_NE(tray, nullptr) << "pelmora made no tray window";

    Child second(kPelmora);
    ASSERT_TRUE(second);
    ASSERT_TRUE(second.WaitForExit(5s)) << "a second pelmora keeps running";
    EXPECT_EQ(second.ExitCode(), 0u);

    const std::vector<ProcessEntry> running = ProcessesNamed(kPelmora);
    ASSERT_EQ(running.size(), 1u);
    EXPECT_EQ(running[0].id, first.Id());
    EXPECT_TRUE(::IsWindow(tray));
}

TEST_F(ShellTest, MinimisingMovesTheWindowIntoTheTrayAndDoubleClickBringsItBack) {
    Child varnok(kVarnok);
    const HWND window = StartVarnok(varnok);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, kStartTimeout));
    const HWND trayWindow = TopLevelWindow(varnok.Id(), kTrayClass);
    ASSERT_NE(trayWindow, nullptr);

    // Once from the system menu's command, once as another program would minimise it; each
    // round adds a fresh icon.
    const std::function<void()> minimisers[] = {
        [&] { ::SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0); },
        [&] { ::ShowWindow(window, SW_MINIMIZE); },
    };
    for (size_t round = 0; round < std::size(minimisers); ++round) {
        SCOPED_TRACE(round == 0 ? "SC_MINIMIZE" : "ShowWindow(SW_MINIMIZE)");
        minimisers[round]();
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(window); }, 5s));
        TrayState tray{};
        ASSERT_TRUE(WaitUntil([&] { return (tray = QueryTray(window)).visible; }, 5s));
        EXPECT_TRUE(ShellHasIcon(trayWindow, tray.iconId));

        // Notifications for another icon id are not ours.
        ::SendMessageW(trayWindow, TrayArea::kCallbackMessage, tray.iconId ^ 0x8000u,
                       WM_LBUTTONDBLCLK);
        EXPECT_FALSE(::IsWindowVisible(window));

        ::SendMessageW(trayWindow, TrayArea::kCallbackMessage, tray.iconId, WM_LBUTTONDBLCLK);
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, 5s));
        EXPECT_FALSE(::IsIconic(window));
        EXPECT_FALSE(QueryTray(window).visible);
        EXPECT_FALSE(ShellHasIcon(trayWindow, tray.iconId)) << "the icon stayed in the tray";
    }
}

} // namespace
} // namespace tessaly

// The Windows build links with -municode: the C runtime starts at wmain, so the narrow main of
// gtest_main is never reached.
int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
