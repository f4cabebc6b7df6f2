// The two programs as the user meets them: real varnok.exe and pelmora.exe processes started
// from the build folder, watched through their windows, the shell's notification area and
// the process table.
#include "shell/varnok_driver.h"

#include "common/number_format.h"
#include "monitor/resource.h"
#include "monitor/status_window.h"
#include "run/run_resource.h"
#include "settings/registry.h"
#include "startup/run_keys.h"
#include "startup/startup_snapshot.h"

#include <cmath>
#include <cstdio>

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
    ASSERT_FALSE(AltHotkeyTaken('P'));
    Child varnok(kVarnok);
    const HWND window = StartVarnok(varnok);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, kStartTimeout));
    // The hotkey is taken once the start-up has finished, a moment after the list shows.
    ASSERT_TRUE(WaitUntil([] { return AltHotkeyTaken('P'); }, kStartTimeout));

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

// --- pelmora and the "New Task" dialog ---

constexpr const wchar_t* kStatusClass = L"TessalyStatusMonitor";

// A visible dialog-class window of the process with this title, other than `except`.
HWND VisibleDialog(DWORD processId, const wchar_t* title, HWND except = nullptr) {
    return TopLevelWindow(processId, kDialogClass, [&](HWND window) {
        return window != except && ::IsWindowVisible(window) && TextOf(window) == title;
    });
}

// Waits for a message box of the process, returns its text and closes it with OK.
std::wstring AnswerMessageBox(DWORD processId, const wchar_t* title, HWND except) {
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = VisibleDialog(processId, title, except)) != nullptr; }, 10s))
        return L"(no message box)";
    const std::wstring text = TextOf(::GetDlgItem(box, 0xFFFF)); // the box's message control
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, 5s);
    return text;
}

// A REG_SZ value of the current user's, put back as it was on the way out.
class UserValue {
public:
    UserValue(const wchar_t* subKey, const wchar_t* name, const std::wstring& text) : name_(name) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, subKey, 0, nullptr, 0,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            return;
        key_.reset(key);
        wchar_t old[128] = {};
        DWORD size = sizeof old;
        had_ = ::RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(old),
                                  &size) == ERROR_SUCCESS;
        old_ = old;
        Set(text);
    }
    ~UserValue() {
        if (had_)
            Set(old_);
        else if (key_)
            ::RegDeleteValueW(key_.get(), name_.c_str());
    }
    bool Written() const { return static_cast<bool>(key_); }

private:
    void Set(const std::wstring& text) {
        ::RegSetValueExW(key_.get(), name_.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    UniqueRegKey key_;
    std::wstring name_, old_;
    bool had_ = false;
};

// Starts pelmora and waits for its window and icon.
struct Pelmora {
    Child process{kPelmora};
    HWND window = nullptr, tray = nullptr;
    UINT iconId = 0;
    bool iconVisible = false;

    bool Start() {
        if (!process)
            return false;
        window = WaitForWindow(process.Id(), kStatusClass);
        tray = TopLevelWindow(process.Id(), kTrayClass);
        if (!window || !tray)
            return false;
        // The window exists from the first step of the start; the icon follows.
        WaitUntil(
            [&] {
                DWORD_PTR answer = 0;
                ::SendMessageTimeoutW(window, kQueryStatusTray, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                      &answer);
                iconId = LOWORD(answer);
                iconVisible = HIWORD(answer) != 0;
                return iconVisible;
            },
            kStartTimeout);
        return iconId != 0;
    }
    void Click(UINT mouseMessage) const {
        ::PostMessageW(tray, TrayArea::kCallbackMessage, iconId, mouseMessage);
    }
    std::wstring Value(Row row) const {
        return TextOf(::GetDlgItem(window, IDC_VALUE_FIRST + static_cast<int>(row)));
    }
};

TEST_F(ShellTest, PelmoraIconShowsAndHidesItsWindowAndExitLeavesNothing) {
    Pelmora pelmora;
    ASSERT_TRUE(pelmora.Start()) << "pelmora made no window or icon";
    EXPECT_EQ(TextOf(pelmora.window), L"Orvix System Information ");
    EXPECT_TRUE(pelmora.iconVisible);
    EXPECT_TRUE(ShellHasIcon(pelmora.tray, pelmora.iconId)) << "the shell has no such icon";
    EXPECT_FALSE(::IsWindowVisible(pelmora.window)) << "pelmora starts hidden";

    pelmora.Click(WM_LBUTTONDOWN);
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(pelmora.window) != FALSE; }, 5s));
    RECT box{};
    ::GetWindowRect(pelmora.window, &box);
    EXPECT_EQ(box.right, ::GetSystemMetrics(SM_CXSCREEN)) << "at the right edge of the screen";
    EXPECT_LT(box.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    pelmora.Click(WM_LBUTTONDOWN);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(pelmora.window); }, 5s));

    ::PostMessageW(pelmora.window, WM_COMMAND, IDM_H_EXIT, 0);
    ASSERT_TRUE(pelmora.process.WaitForExit(5s)) << "Exit left pelmora running";
    EXPECT_EQ(pelmora.process.ExitCode(), 0u);
    EXPECT_FALSE(ShellHasIcon(pelmora.tray, pelmora.iconId)) << "the icon outlived pelmora";
    EXPECT_TRUE(ProcessesNamed(kPelmora).empty());
}

// The number as the rows show byte counts, with `separator` for the decimal point.
std::wstring ExpectedSize(uint64_t bytes, wchar_t separator) {
    const wchar_t* units[] = {L" KB", L" MB", L" GB", L" TB"};
    double scale = 1024;
    int unit = 0;
    while (unit < 3 && bytes >= scale * 1024) {
        scale *= 1024;
        ++unit;
    }
    wchar_t text[64];
    swprintf(text, 64, L"%.3f", RoundHalfEven(static_cast<double>(bytes) / scale, unit ? 2 : 1));
    std::wstring shown = text;
    std::replace(shown.begin(), shown.end(), L'.', separator);
    return shown + units[unit];
}

// "12#345 %" read back as 12.345; NaN when the text is not that shape.
double PercentFrom(std::wstring text, wchar_t separator) {
    if (text.size() < 3 || text.substr(text.size() - 2) != L" %" ||
        text.find(separator) == std::wstring::npos || text.find(L'.') != std::wstring::npos)
        return std::nan("");
    std::replace(text.begin(), text.end(), separator, L'.');
    return wcstod(text.c_str(), nullptr);
}

TEST_F(ShellTest, PelmoraRowsAgreeWithTheSystemUnderAnOddDecimalSeparator) {
    const UserValue decimal(L"Control Panel\\International", L"sDecimal", L"#");
    ASSERT_TRUE(decimal.Written());
    Pelmora pelmora;
    ASSERT_TRUE(pelmora.Start());
    pelmora.Click(WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(pelmora.window) != FALSE; }, 5s));
    std::this_thread::sleep_for(700ms); // a few ticks

    MEMORYSTATUSEX memory{sizeof memory};
    ASSERT_TRUE(::GlobalMemoryStatusEx(&memory));
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring root = std::wstring(1, windows[0]) + L":\\";
    ULARGE_INTEGER available{}, total{}, free{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free));

    EXPECT_EQ(pelmora.Value(Row::TotalRam), ExpectedSize(memory.ullTotalPhys, L'#'));
    EXPECT_EQ(pelmora.Value(Row::TotalPage), ExpectedSize(memory.ullTotalPageFile, L'#'));
    EXPECT_EQ(pelmora.Value(Row::TotalVirtual), ExpectedSize(memory.ullTotalVirtual, L'#'));
    EXPECT_EQ(pelmora.Value(Row::DiskCapacity), ExpectedSize(total.QuadPart, L'#'));

    const struct {
        Row row;
        double expected, tolerance;
    } shares[] = {
        {Row::Disk, 100.0 * free.QuadPart / total.QuadPart, 0.5},
        {Row::Ram, 100.0 * memory.ullAvailPhys / memory.ullTotalPhys, 3},
        {Row::MemoryLoad, static_cast<double>(memory.dwMemoryLoad), 5},
        {Row::PageFile, 100.0 * memory.ullAvailPageFile / memory.ullTotalPageFile, 3},
        {Row::Virtual, 100.0 * memory.ullAvailVirtual / memory.ullTotalVirtual, 3},
    };
    for (const auto& share : shares) {
        const std::wstring text = pelmora.Value(share.row);
        SCOPED_TRACE(test::Narrow(text));
        EXPECT_NEAR(PercentFrom(text, L'#'), share.expected, share.tolerance);
    }
    const double cpu = PercentFrom(pelmora.Value(Row::Cpu), L'#');
    EXPECT_TRUE(cpu >= 0 && cpu <= 100) << test::Narrow(pelmora.Value(Row::Cpu));
    EXPECT_NE(pelmora.Value(Row::CpuSpeed), L"");
    EXPECT_NE(pelmora.Value(Row::PowerSource), L"");
    EXPECT_NE(pelmora.Value(Row::VideoName), L"");
}

TEST_F(ShellTest, PelmoraShowStartsVarnok) {
    Pelmora pelmora;
    ASSERT_TRUE(pelmora.Start());
    ::PostMessageW(pelmora.window, WM_COMMAND, IDM_B_SHOW, 0);
    std::vector<ProcessEntry> varnok;
    ASSERT_TRUE(
        WaitUntil([&] { return !(varnok = ProcessesNamed(kVarnok)).empty(); }, kStartTimeout));
    EXPECT_EQ(varnok[0].parentId, pelmora.process.Id());
    const HWND main = WaitForWindow(varnok[0].id, kMainClass);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(main) != FALSE; }, kStartTimeout))
        << "varnok started from Show must open its window";
}

// The dialog's controls as another program sees them.
struct RunDialogView {
    DWORD processId;
    HWND dialog = nullptr;

    bool Find() {
        return WaitUntil(
            [&] { return (dialog = VisibleDialog(processId, L"New Task")) != nullptr; }, 10s);
    }
    HWND Item(int id) const { return ::GetDlgItem(dialog, id); }
    void Type(const std::wstring& text) const {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(Item(IDC_RUN_TXTPEFILE), WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                              &result);
    }
    std::wstring Text() const { return TextOf(Item(IDC_RUN_TXTPEFILE)); }
    bool VerbRowShown() const {
        return ::IsWindowVisible(Item(IDC_RUN_CMBSHELLEXEC)) &&
               ::IsWindowVisible(Item(IDC_RUN_LBLSE));
    }
    void Run() const { ::PostMessageW(Item(IDC_RUN_CMDRUN), BM_CLICK, 0, 0); }
    bool Shown() const { return ::IsWindowVisible(dialog) != FALSE; }
};

TEST_F(ShellTest, PelmoraNewTaskRefusesExplainsAndStartsVisibly) {
    Pelmora pelmora;
    ASSERT_TRUE(pelmora.Start());
    ::PostMessageW(pelmora.window, WM_COMMAND, IDM_C_RUN_NEW_TASK, 0);
    RunDialogView view{pelmora.process.Id()};
    ASSERT_TRUE(view.Find()) << "no New Task dialog";
    EXPECT_EQ(TextOf(view.Item(IDC_RUN_CMDRUN)), L"&Create Process");
    EXPECT_EQ(::SendMessageW(view.Item(IDC_RUN_CMBSHELLEXEC), CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(view.VerbRowShown());
    RECT box{};
    ::GetWindowRect(view.dialog, &box);
    EXPECT_NEAR((box.left + box.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 2) << "centred";

    // Refused texts: the box says so and the text stays.
    const struct {
        const wchar_t* text;
        bool verbRow;
    } refused[] = {{L"notepad.exe readme.txt", false}, {L"readme.txt", true}, {L"", true}};
    for (const auto& c : refused) {
        SCOPED_TRACE(test::Narrow(c.text));
        view.Type(c.text);
        EXPECT_EQ(view.VerbRowShown(), c.verbRow);
        view.Run();
        EXPECT_EQ(AnswerMessageBox(view.processId, L"pelmora", view.dialog),
                  L"Please Select Valid Application");
        EXPECT_TRUE(view.Shown());
        EXPECT_EQ(view.Text(), c.text);
    }

    // A program that cannot start: the system's reason, and the dialog keeps the text.
    const std::wstring missing = TestProgramFolder() + L"\\no such program.exe";
    view.Type(missing);
    view.Run();
    const std::wstring reason = AnswerMessageBox(view.processId, L"pelmora", view.dialog);
    EXPECT_EQ(reason.rfind(missing, 0), 0u) << test::Narrow(reason);
    EXPECT_GT(reason.size(), missing.size() + 4) << "no reason given";
    EXPECT_TRUE(view.Shown());
    EXPECT_EQ(view.Text(), missing);

    // A path longer than the old 260-character limit reaches the shell whole and comes back
    // whole; where the shell cannot start it, the reason is shown.
    std::wstring deep = TestProgramFolder();
    while (deep.size() < 300)
        deep += L"\\a folder with a long name";
    deep += L"\\program.exe";
    view.Type(deep);
    view.Run();
    EXPECT_NE(AnswerMessageBox(view.processId, L"pelmora", view.dialog), L"(no message box)");
    EXPECT_EQ(view.Text(), deep);

    // A real program under a Unicode name with spaces, in the program folder: started, with
    // its window shown, and the dialog goes.
    const std::wstring name = L"Tâche ü " + std::to_wstring(::GetCurrentProcessId()) + L".EXE";
    const std::wstring copy = TestProgramFolder() + L"\\" + name;
    ASSERT_TRUE(
        ::CopyFileW((TestProgramFolder() + L"\\show_child.exe").c_str(), copy.c_str(), FALSE));
    view.Type(copy);
    EXPECT_FALSE(view.VerbRowShown());
    view.Run();
    std::vector<ProcessEntry> started;
    EXPECT_TRUE(
        WaitUntil([&] { return !(started = ProcessesNamed(name)).empty(); }, kStartTimeout));
    if (!started.empty()) {
        // Its window may be made a moment before it is shown.
        const HWND child = WaitForWindow(started[0].id, L"TessalyShowChild");
        EXPECT_TRUE(child && WaitUntil([&] { return ::IsWindowVisible(child) != FALSE; }, 5s))
            << "the program was started hidden";
        EndProcess(started[0].id);
    }
    EXPECT_TRUE(WaitUntil([&] { return !view.Shown(); }, 5s));
    ::DeleteFileW(copy.c_str());

    // Opened again: the same dialog with the last text; the close box only hides it.
    ::PostMessageW(pelmora.window, WM_COMMAND, IDM_C_RUN_NEW_TASK, 0);
    const HWND first = view.dialog;
    ASSERT_TRUE(view.Find());
    EXPECT_EQ(view.dialog, first);
    EXPECT_EQ(view.Text(), copy);
    ::PostMessageW(view.dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !view.Shown(); }, 5s));
    EXPECT_TRUE(::IsWindow(view.dialog));
}

TEST_F(ShellTest, VarnokRunNewTaskDisablesItsWindowUntilTheDialogGoes) {
    Child varnok(kVarnok);
    const HWND window = StartVarnok(varnok);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, kStartTimeout));
    ::PostMessageW(window, WM_COMMAND, IDM_A33_RUN_NEW_TASK, 0);
    RunDialogView view{varnok.Id()};
    ASSERT_TRUE(view.Find());
    EXPECT_FALSE(::IsWindowEnabled(window)) << "the main window stays usable under the dialog";
    view.Type(L"readme.txt");
    view.Run();
    EXPECT_EQ(AnswerMessageBox(varnok.Id(), L"Tessaly", view.dialog),
              L"Please Select Valid Application");
    EXPECT_FALSE(::IsWindowEnabled(window));
    // One dialog holds the window at a time: Options brings New Task to the front instead.
    ::PostMessageW(window, WM_COMMAND, IDM_A6_OPTIONS, 0);
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(VisibleDialog(varnok.Id(), L"Options"), nullptr);
    ::PostMessageW(view.dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !view.Shown(); }, 5s));
    EXPECT_TRUE(::IsWindowEnabled(window));

    // Still loaded, it opens again with its text and no longer holds the window.
    ::PostMessageW(window, WM_COMMAND, IDM_A33_RUN_NEW_TASK, 0);
    ASSERT_TRUE(view.Find());
    EXPECT_EQ(view.Text(), L"readme.txt");
    EXPECT_TRUE(::IsWindowEnabled(window));
}

// --- The startup monitor ---

// What varnok reports about its startup list: rows, rows marked new, and whether it is shown.
struct StartupListState {
    int rows = 0, marked = 0;
    bool shown = false;
};
StartupListState QueryStartupList(HWND mainWindow) {
    DWORD_PTR counts = 0, shown = 0;
    ::SendMessageTimeoutW(mainWindow, kQueryStartupList, 0, 0, SMTO_ABORTIFHUNG, 5000, &counts);
    ::SendMessageTimeoutW(mainWindow, kQueryStartupList, 1, 0, SMTO_ABORTIFHUNG, 5000, &shown);
    return {LOWORD(counts), HIWORD(counts), shown != 0};
}

TEST_F(ShellTest, AStartupEntryAddedWhileInTheTrayIsAnnouncedMarkedAndCanBeAllowed) {
    // The monitor on, with a tick far away: only the watch on the Run keys can see the change.
    RegistryValues options(L"software\\orvix\\tessaly\\option\\free",
                           {{L"startup monitor", L"1"}, {L"reftm", L"600"}});
    RegistryValues marker(L"SOFTWARE\\orvix\\tessaly", {{L"start1st", L"1"}});
    ASSERT_TRUE(options.Written() && marker.Written());
    // What is there now is what was accepted; the user's folder holds no older list.
    const SettingsStore settings;
    std::vector<std::wstring> names;
    for (const StartupEntry& entry : ReadRunKeys())
        names.push_back(entry.Name());
    ::DeleteFileW((UserDataFolder() + L"\\startst.txt").c_str());
    ASSERT_TRUE(StartupSnapshot(settings, TestProgramFolder()).Accept(names));

    Child varnok(kVarnok, L"s");
    const HWND window = StartVarnok(varnok);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(::IsWindowVisible(window));
    ASSERT_TRUE(WaitUntil([&] { return QueryTray(window).visible; }, 5s));
    std::this_thread::sleep_for(1s); // the rest of start-up, the watch among it

    const std::wstring name = L"Tessaly watched " + std::to_wstring(::GetCurrentProcessId());
    {
        HKEY run = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE,
                                    nullptr, &run, nullptr),
                  ERROR_SUCCESS);
        const std::wstring command = L"c:\\watched\\agent.exe /tray";
        ::RegSetValueExW(run, name.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(run);
    }
    const auto added = Clock::now();
    const auto alert = [&] { return VisibleDialog(varnok.Id(), L"New programs added to startup"); };
    HWND box = nullptr;
    // The check starts within a second; its load, then two one-second waits, then the alert.
    ASSERT_TRUE(WaitUntil([&] { return (box = alert()) != nullptr; }, 15s)) << "no alert";
    const auto seconds = std::chrono::duration<double>(Clock::now() - added).count();
    std::printf("alert %.1f s after the value was added\n", seconds);
    EXPECT_LT(seconds, 8.0) << "the change was not seen by the watch";
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);

    // The window comes back from the tray with the startup list, the new row marked.
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(window) != FALSE; }, 5s));
    EXPECT_FALSE(QueryTray(window).visible);
    StartupListState state = QueryStartupList(window);
    EXPECT_TRUE(state.shown);
    EXPECT_EQ(state.marked, 1);
    EXPECT_EQ(state.rows, static_cast<int>(names.size()) + 1);
    // The check loads the list twice, and says so twice.
    ASSERT_TRUE(WaitUntil([&] { return (box = alert()) != nullptr; }, 10s));
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return alert() == nullptr; }, 5s));

    // "Allow all programs currently running.", then the button: no red rows, no alert.
    ::PostMessageW(window, WM_COMMAND, IDM_B7_ALLOW_ALL, 0);
    ::PostMessageW(window, WM_COMMAND, IDC_BTN_STARTUP_MONITOR, 0);
    EXPECT_FALSE(WaitUntil([&] { return alert() != nullptr; }, 6s)) << "announced again";
    state = QueryStartupList(window);
    EXPECT_EQ(state.marked, 0);
    EXPECT_TRUE(state.shown);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, name.c_str());
}

} // namespace
} // namespace tessaly

// The Windows build links with -municode: the C runtime starts at wmain, so the narrow main of
// gtest_main is never reached.
int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
