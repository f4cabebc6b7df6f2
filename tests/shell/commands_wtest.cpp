// Every command of the main window's menus and navigation column, posted to a real varnok.exe
// as WM_COMMAND the way outside tools drive it, and the effect each one has; the one-time
// inventory of program files as the minimised window runs it.
#include "shell/varnok_driver.h"
#include "sysinfo/about_resource.h"

#include <filesystem>
#include <fstream>

namespace tessaly {
namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kRunValue = L"Tessaly commands test";

std::string ReadAll(const std::wstring& path) {
    const UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
    if (!file)
        return {};
    std::string bytes(1 << 20, '\0');
    DWORD read = 0;
    ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

// The class and caption of each window the process shows, for a failure's message.
std::string VisibleWindows(DWORD processId) {
    std::pair<DWORD, std::wstring> found{processId, L""};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto& [id, text] = *reinterpret_cast<std::pair<DWORD, std::wstring>*>(context);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            ::GetClassNameW(window, name, ARRAYSIZE(name));
            if (owner == id && ::IsWindowVisible(window))
                text += std::wstring(name) + L" \"" + TextOf(window) + L"\"; ";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return test::Narrow(found.second);
}

bool InventoryRunning(HWND window) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, kQueryInventory, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    return result != 0;
}

// Holds the current state on the screen for a while when TESSALY_HOLD_MS is set, so a
// screenshot can be taken from outside.
void HoldForScreenshot() {
    wchar_t hold[16] = {};
    if (::GetEnvironmentVariableW(L"TESSALY_HOLD_MS", hold, 16))
        ::Sleep(static_cast<DWORD>(_wtoi(hold)));
}

// varnok run from a folder of the test's own, with copies of the programs beside it, so the
// files it keeps in its folder ("a.txt") and the companions it looks for are the test's.
class CommandsTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        folder_ =
            test::TempFolder() + L"tessaly-commands-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        for (const wchar_t* program : {kVarnok, kPelmora})
            ::CopyFileW((TestProgramFolder() + L"\\" + program).c_str(),
                        (folder_ + L"\\" + program).c_str(), FALSE);
        SetState(L"1"); // no inventory unless a test asks for one
    }
    void TearDown() override {
        ShellTest::TearDown();
        for (const wchar_t* name : {kVarnok, kPelmora, L"a.txt", L"kestrup.exe", L"orvixinfo.exe",
                                    L"log.txt", L"startst.txt"})
            ::DeleteFileW((folder_ + L"\\" + name).c_str());
        ::RemoveDirectoryW(folder_.c_str());
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue);
        SetState(L"1");
    }
    std::wstring Program(const wchar_t* name) const { return folder_ + L"\\" + name; }
    std::wstring Sleeper() const { return TestProgramFolder() + L"\\sleeper.exe"; }

    std::wstring folder_;
};

// The companions' names are this test's alone: any process of that name is one varnok started
// (the shell may start it through a process of its own, so the parent is not varnok's).
void EndAllNamed(const wchar_t* name) {
    for (const ProcessEntry& entry : ProcessesNamed(name))
        EndProcess(entry.id);
}

bool Started(const wchar_t* name) {
    return WaitUntil([&] { return !ProcessesNamed(name).empty(); }, 10s);
}

TEST_F(CommandsTest, EveryCommandReachesItsEffect) {
    Child varnok(Program(kVarnok));
    const HWND window = StartVarnok(varnok);
    ASSERT_NE(window, nullptr);
    const DWORD pid = varnok.Id();
    const HWND list = ::GetDlgItem(window, IDC_LSTPROCESSES);
    const auto post = [&](int id) { ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); };
    const auto listShown = [&] { return ::IsWindowVisible(list) != FALSE; };
    const auto focusOnList = [&] {
        GUITHREADINFO info{sizeof info};
        return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) &&
               info.hwndFocus == list;
    };
    const auto saveLog = [&](const std::wstring& name) {
        const HWND dialog = WaitForOwned(pid, kDialogClass, L"Save Logfile");
        if (!dialog)
            return false;
        EXPECT_FALSE(::IsWindowEnabled(window));
        HoldForScreenshot();
        test::PumpFor(300); // the dialog fills its boxes after it shows
        if (name.empty()) {
            Click(dialog, IDCANCEL);
        } else {
            // The file name box of the explorer-style dialog.
            HWND edit = ::GetDlgItem(dialog, 0x47C);
            if (HWND inner = ::FindWindowExW(edit, nullptr, L"Edit", nullptr))
                edit = inner;
            ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
            Click(dialog, IDOK);
        }
        return Gone(dialog) && WaitUntil([&] { return ::IsWindowEnabled(window) != FALSE; }, 5s);
    };
    const auto offer = [&](int answer) {
        const HWND box = WaitForOwned(pid, kDialogClass, L"Tessaly");
        if (!box)
            return false;
        EXPECT_EQ(MessageText(box), L"This feature is missing please download the new setup "
                                    L"file\rWould you like to download it now? ");
        Click(box, answer);
        return Gone(box);
    };
    const std::wstring log = Program(L"log.txt");
    const auto scanWindow = [&] {
        const HWND scan = WaitForOwned(pid, kDialogClass, L"Security Scan");
        if (!scan)
            return false;
        EXPECT_FALSE(::IsWindowEnabled(window));
        ::PostMessageW(scan, WM_CLOSE, 0, 0);
        return Gone(scan) && WaitUntil([&] { return ::IsWindowEnabled(window) != FALSE; }, 5s);
    };

    struct Case {
        int id;
        const char* what;
        std::function<bool()> effect;
        std::function<void()> before = [] {};
    };
    const std::vector<Case> cases = {
        {IDC_BTN_SAVE_LOGFILE, "save dialog, cancelled: nothing written",
         [&] { return saveLog(L"") && !Exists(log); }},
        {IDM_A10_SAVE_LOG, "save dialog, log written",
         [&] {
             return saveLog(log) && WaitUntil(
                                        [&] {
                                            return ReadAll(log).starts_with(
                                                "Logfile saved using tessaly 1.0.0\r\n");
                                        },
                                        5s);
         }},
        {IDM_E33_ABOUT, "about box, closed with Close",
         [&] {
             const HWND about = WaitForOwned(pid, kDialogClass, L"About Tessaly");
             if (!about)
                 return false;
             EXPECT_EQ(::GetWindow(about, GW_OWNER), window);
             EXPECT_FALSE(::IsWindowEnabled(window));
             EXPECT_EQ(TextOf(::GetDlgItem(about, IDC_FORM4_LABEL4)), L"1.0");
             // Asked again: still one box.
             ::PostMessageW(window, WM_COMMAND, IDM_E33_ABOUT, 0);
             test::PumpFor(300);
             EXPECT_EQ(OwnedWindow(pid, kDialogClass, L"About Tessaly"), about);
             HoldForScreenshot();
             Click(about, IDC_FORM4_COMMAND1);
             return Gone(about) && ::IsWindowEnabled(window);
         }},
        {IDM_E33_ABOUT, "about box, closed by its frame",
         [&] {
             const HWND about = WaitForOwned(pid, kDialogClass, L"About Tessaly");
             if (!about)
                 return false;
             ::PostMessageW(about, WM_CLOSE, 0, 0);
             return Gone(about) && ::IsWindowEnabled(window);
         }},
        {IDM_A4_CHECK_FOR_UPDATES, "updater started",
         [&] {
             const bool started = Started(L"kestrup.exe");
             EndAllNamed(L"kestrup.exe");
             return started;
         },
         [&] { ::CopyFileW(Sleeper().c_str(), Program(L"kestrup.exe").c_str(), FALSE); }},
        {IDM_A4_CHECK_FOR_UPDATES, "updater missing: the offer, answered No",
         [&] { return offer(IDNO); }, [&] { ::DeleteFileW(Program(L"kestrup.exe").c_str()); }},
        {IDC_BTN_SYSTEM_INFORMATION, "companion started",
         [&] {
             const bool started = Started(L"orvixinfo.exe");
             EndAllNamed(L"orvixinfo.exe");
             return started;
         },
         [&] { ::CopyFileW(Sleeper().c_str(), Program(L"orvixinfo.exe").c_str(), FALSE); }},
        {IDC_BTN_SYSTEM_INFORMATION, "empty companion: the offer, answered No",
         [&] { return offer(IDNO); },
         [&] {
             ::DeleteFileW(Program(L"orvixinfo.exe").c_str());
             MakeFile(Program(L"orvixinfo.exe"), "");
         }},
        {IDM_FF_SYSTEM_INFORMATION, "pelmora started", [&] { return Started(kPelmora); },
         [&] { EndAllNamed(kPelmora); }},
        {IDC_BTN_MAIN_WINDOW, "memory panel instead of the list",
         [&] { return WaitUntil([&] { return !listShown(); }, 5s); }},
        {IDC_BTN_PROCESS_MONITOR, "back to the list, focused, named",
         [&] {
             return WaitUntil([&] { return listShown() && focusOnList(); }, 5s) &&
                    TextOf(::GetDlgItem(window, IDC_LABEL4)) == L"Process Monitor";
         }},
        {IDC_BTN_STARTUP_MONITOR, "the startup list instead of the process list, named",
         [&] {
             return WaitUntil([&] { return StartupListShown(window); }, 10s) && !listShown() &&
                    TextOf(::GetDlgItem(window, IDC_LABEL4)) == L"Startup Monitor";
         }},
        {IDM_B7_ALLOW_ALL, "the startup list remembered beside the program",
         [&] { return WaitUntil([&] { return Exists(Program(L"startst.txt")); }, 5s); },
         [&] { ::DeleteFileW(Program(L"startst.txt").c_str()); }},
        {IDC_FREELINK2, "on the startup list: ending its program asked first, answered No",
         [&] {
             const HWND box = WaitForOwned(pid, kDialogClass, L"terminate Process");
             Click(box, IDNO);
             return box && Gone(box);
         },
         [&] {
             // The list needs a row to act on.
             const std::wstring command = Sleeper();
             ::RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, REG_SZ, command.c_str(),
                               static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
             post(IDM_A102_STARTUP_MONITOR);
             // Marked new by the first load's check, which then selects row 1.
             WaitUntil([&] { return HIWORD(StartupCounts(window)) > 0; }, 10s);
         }},
        {IDC_BTN_PROCESS_MONITOR, "back to the list while the startup list still loads",
         [&] {
             const bool back = WaitUntil([&] { return listShown() && focusOnList(); }, 5s) &&
                               TextOf(::GetDlgItem(window, IDC_LABEL4)) == L"Process Monitor";
             // The second load ends later and leaves the user where they went.
             std::this_thread::sleep_for(4s);
             return back && listShown() && !StartupListShown(window);
         }},
        {IDC_BTN_SECURITY_SCAN, "security scan window", [&] { return scanWindow(); }},
        {IDC_BTN_CHECK_ALL_ONLINE, "security scan window", [&] { return scanWindow(); }},
        {IDM_A8_CHECK_ALL_ONLINE, "security scan window", [&] { return scanWindow(); }},
        {IDM_B5_CHECK_ONLINE, "security scan window", [&] { return scanWindow(); }},
        {IDC_BTN_MEMORY_OPTIONS, "memory options instead of the list",
         [&] { return WaitUntil([&] { return !listShown(); }, 5s); }},
        {IDM_A101_PROCESS_MONITOR, "back to the list, focused, named",
         [&] {
             return WaitUntil([&] { return listShown() && focusOnList(); }, 5s) &&
                    TextOf(::GetDlgItem(window, IDC_LABEL4)) == L"Process Monitor";
         }},
        {IDC_BTN_MAIN_WINDOW, "memory panel",
         [&] { return WaitUntil([&] { return !listShown(); }, 5s); }},
        {IDC_BTN_PROCESS, "the list rebuilt",
         [&] {
             // The rebuild shows the list again when it lands; let it land first.
             std::this_thread::sleep_for(2s);
             return WaitUntil(listShown, 5s) && ProcessCount(window) > 0;
         }},
        {IDC_BTN_MAIN_WINDOW, "memory panel",
         [&] { return WaitUntil([&] { return !listShown(); }, 5s); }},
        {IDM_KK2_REFRESH, "the list rebuilt",
         [&] {
             // The rebuild shows the list again when it lands; let it land first.
             std::this_thread::sleep_for(2s);
             return WaitUntil(listShown, 5s) && ProcessCount(window) > 0;
         }},
        {IDC_BTN_OPTIONS, "options dialog",
         [&] {
             const HWND options = WaitForOwned(pid, kDialogClass, L"Options");
             Click(options, IDCANCEL);
             return options && Gone(options);
         }},
        {IDM_A6_OPTIONS, "options dialog",
         [&] {
             const HWND options = WaitForOwned(pid, kDialogClass, L"Options");
             Click(options, IDCANCEL);
             return options && Gone(options);
         }},
        {IDC_BTN_KILL, "termination asked first, answered No",
         [&] {
             const HWND box = WaitForOwned(pid, kDialogClass, L"terminate Process");
             Click(box, IDNO);
             return box && Gone(box);
         }},
        {IDM_BB_TERMINATE, "termination asked first, answered No",
         [&] {
             const HWND box = WaitForOwned(pid, kDialogClass, L"terminate Process");
             Click(box, IDNO);
             return box && Gone(box);
         }},
        {IDM_A100_PROCESS_DETAILS, "modules dialog",
         [&] {
             const HWND modules = WaitForOwned(pid, kDialogClass, L"");
             if (modules)
                 ::PostMessageW(modules, WM_CLOSE, 0, 0);
             return modules && Gone(modules);
         }},
        {IDC_BTN_MENU, "the main menu pops up",
         [&] {
             const HWND menu = WaitForOwned(pid, L"#32768", L"");
             if (menu)
                 ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
             return menu && Gone(menu);
         }},
        {IDM_A33_RUN_NEW_TASK, "the New Task dialog, window disabled under it",
         [&] {
             const HWND run = WaitForOwned(pid, kDialogClass, L"New Task");
             EXPECT_FALSE(::IsWindowEnabled(window));
             if (run)
                 ::PostMessageW(run, WM_CLOSE, 0, 0);
             return run && Gone(run);
         }},
        // IDM_GG1_LOG_OFF, IDM_GG2_RESTART and IDM_GG3_SHUTDOWN would end the prefix's
        // session; menus_wtest sends them to a window whose exit call is a stand-in.
        {IDC_LBL_HELP, "no help file: nothing opens, the window answers",
         [&] {
             test::PumpFor(500);
             return !OwnedWindow(pid, kDialogClass, L"") && ProcessCount(window) > 0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " " << c.what);
        // The last box is gone; the window takes commands again once it is enabled.
        ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(window) != FALSE; }, 5s));
        c.before();
        post(c.id);
        EXPECT_TRUE(c.effect()) << "varnok shows: " << VisibleWindows(pid);
        EXPECT_TRUE(varnok.Running());
    }

    // The ways out, each on a varnok of its own.
    for (const int id : {IDM_A2_EXIT, IDM_HH_END, IDC_BTN_END}) {
        SCOPED_TRACE(id);
        Child another(Program(kVarnok));
        const HWND main = id == IDM_A2_EXIT ? window : StartVarnok(another);
        Child& process = id == IDM_A2_EXIT ? varnok : another;
        ASSERT_NE(main, nullptr);
        ::PostMessageW(main, WM_COMMAND, id, 0);
        EXPECT_TRUE(process.WaitForExit(10s));
    }
}

TEST_F(CommandsTest, InventoryRunsOnceWhileHiddenInTheTray) {
    SetState(L"0");
    {
        Child varnok(Program(kVarnok));
        const HWND window = StartVarnok(varnok);
        ASSERT_NE(window, nullptr);
        // Hidden by the hotkey's way (no tray icon): no inventory.
        ::ShowWindow(window, SW_HIDE);
        test::PumpFor(2500);
        EXPECT_FALSE(InventoryRunning(window));
        EXPECT_FALSE(Exists(Program(L"a.txt")));
        ::ShowWindow(window, SW_SHOWNORMAL);

        ::PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        EXPECT_TRUE(WaitUntil([&] { return Exists(Program(L"a.txt")); }, 60s));
        EXPECT_TRUE(WaitUntil([&] { return StateValue() == L"1"; }, 10s));
        const std::string inventory = ReadAll(Program(L"a.txt"));
        // The programs beside varnok are among the files found; each line ends CR CR LF.
        EXPECT_NE(inventory.find("varnok.exe|"), std::string::npos);
        EXPECT_TRUE(inventory.ends_with("\r\r\n"));
        EXPECT_EQ(inventory.find("\r\n\r"), std::string::npos);
    }
    // Once per machine: the next minimised run walks nothing.
    ::DeleteFileW(Program(L"a.txt").c_str());
    {
        Child varnok(Program(kVarnok), L"s");
        const HWND window = StartVarnok(varnok);
        ASSERT_NE(window, nullptr);
        test::PumpFor(3000);
        EXPECT_FALSE(InventoryRunning(window));
        EXPECT_FALSE(Exists(Program(L"a.txt")));
    }
}

TEST_F(CommandsTest, ClosingDuringTheInventoryEndsAtOnceAndWritesNothing) {
    // Enough folders on the drive that the walk is still running when the window closes.
    const std::wstring bulk = L"C:\\tessaly-bulk-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(bulk.c_str(), nullptr);
    for (int i = 0; i < 400; ++i) {
        const std::wstring sub = bulk + L"\\" + std::to_wstring(i);
        ::CreateDirectoryW(sub.c_str(), nullptr);
        for (int j = 0; j < 10; ++j)
            MakeFile(sub + L"\\p" + std::to_wstring(j) + L".exe", "MZ");
    }
    SetState(L"0");
    Child varnok(Program(kVarnok), L"s"); // starts hidden in the tray
    const HWND window = StartVarnok(varnok);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return InventoryRunning(window); }, 10s));
    const auto closed = Clock::now();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(varnok.WaitForExit(5s));
    EXPECT_LT(Clock::now() - closed, 1s);
    EXPECT_FALSE(Exists(Program(L"a.txt")));
    EXPECT_EQ(StateValue(), L"0");
    SHFILEOPSTRUCTW remove{};
    const std::wstring from = bulk + L'\0';
    remove.wFunc = FO_DELETE;
    remove.pFrom = from.c_str();
    remove.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&remove);
}

} // namespace
} // namespace tessaly

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
