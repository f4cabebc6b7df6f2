// The startup panel of a real MainWindow, driven from inside this program against the real
// registry and real processes: the list from its button, the red and bold rows of new entries
// and their acceptance, the keyboard's context menu, and removal.
#include "shell/main_window.h"

#include "common/text.h"
#include "settings/registry.h"
#include "shell/resource.h"
#include "startup/run_keys.h"
#include "startup/startup_snapshot.h"
#include "support/modal_windows.h"
#include "support/sleeper_process.h"
#include "support/wine_test_support.h"
#include "win32/handles.h"
#include "win32/platform.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using test::AnswerQuestion;
using test::EndsWithin;
using test::FindOwnWindow;
using test::Narrow;
using test::PumpUntil;
using test::QuestionSeen;
using test::ScratchFolder;
using test::SleeperProcess;
using test::Unique;
using test::WhileModal;

std::wstring Tag(std::wstring_view stem) {
    return std::wstring(stem) + L" " + std::to_wstring(::GetCurrentProcessId());
}

void PutRunValue(HKEY root, const std::wstring& name, const std::wstring& command) {
    HKEY key = nullptr;
    ASSERT_EQ(
        ::RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

bool HasRunValue(HKEY root, const wchar_t* subKey, const std::wstring& name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const bool found =
        ::RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return found;
}

void DeleteRunValues(const std::wstring& name) {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (const wchar_t* subKey : {kRunKey, kNtRunKey})
            ::RegDeleteKeyValueW(root, subKey, name.c_str());
}

// Whether any pixel of the box, as the list draws itself, is pure red.
bool DrawsRed(HWND list, const RECT& box) {
    RECT client{};
    ::GetClientRect(list, &client);
    HDC screen = ::GetDC(list);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                   PRF_CLIENT | PRF_ERASEBKGND);
    bool red = false;
    for (int y = box.top; y < box.bottom && !red; ++y)
        for (int x = box.left; x < box.right && !red; ++x)
            red = ::GetPixel(memory, x, y) == RGB(255, 0, 0);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(list, screen);
    return red;
}

// Presses the arrow keys in an open menu until item `id` is lit, then Enter, the way a user
// picks it from the keyboard. What the menu showed is kept for the test.
class KeyboardMenuPick {
public:
    explicit KeyboardMenuPick(int id) : id_(id) {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 30, &KeyboardMenuPick::Tick);
    }
    ~KeyboardMenuPick() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool picked() const { return picked_; }
    std::wstring Caption(int id) const {
        for (const auto& [item, text] : captions_)
            if (item == id)
                return text;
        return {};
    }
    bool Grayed(int id) const {
        for (const auto& [item, state] : states_)
            if (item == id)
                return state & MF_GRAYED;
        return false;
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        KeyboardMenuPick* self = current_;
        if (!self || self->picked_)
            return;
        const HWND window = FindOwnWindow(test::kMenuClass);
        if (!window) {
            if (++self->idle_ > 300)
                self->picked_ = true; // no menu came: give up
            return;
        }
        const HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(window, MN_GETHMENU, 0, 0));
        if (self->captions_.empty())
            for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                const int id = static_cast<int>(::GetMenuItemID(menu, i));
                wchar_t text[256] = {};
                ::GetMenuStringW(menu, i, text, 256, MF_BYPOSITION);
                self->captions_.emplace_back(id, text);
                self->states_.emplace_back(id, ::GetMenuState(menu, i, MF_BYPOSITION));
            }
        const bool lit = ::GetMenuState(menu, self->id_, MF_BYCOMMAND) & MF_HILITE;
        ::PostMessageW(window, WM_KEYDOWN, lit ? VK_RETURN : VK_DOWN, 0);
        if (lit || ++self->presses_ > 20)
            self->picked_ = true;
    }

    static inline KeyboardMenuPick* current_ = nullptr;
    int id_;
    UINT_PTR timer_ = 0;
    int idle_ = 0, presses_ = 0;
    bool picked_ = false;
    std::vector<std::pair<int, std::wstring>> captions_;
    std::vector<std::pair<int, UINT>> states_;
};

class StartupPanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::InitMainWindowControls();
        scratch_ = new ScratchFolder(L"tessaly startup panel");
        settings_ = new SettingsStore();
        // A remembered list to compare with: the check is not a first one.
        settings_->Write(L"SOFTWARE\\orvix\\tessaly", L"start1st", L"1");
        window_ = new MainWindow(StartOptions{}, *settings_);
        started_ = window_->Start() && PumpUntil([] { return !window_->Loading(); }, 30000);
    }
    static void TearDownTestSuite() {
        if (window_ && window_->hwnd()) {
            ::DestroyWindow(window_->hwnd());
            test::PumpFor(50);
        }
        delete window_;
        delete settings_;
        test::EndPelmoraStartedHere();
        delete scratch_;
        window_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(started_); }

    static MainWindow& window() { return *window_; }
    static StartupPanel& panel() { return window_->Startup(); }
    static const ScratchFolder& scratch() { return *scratch_; }

    static void Command(int id) { ::SendMessageW(window().hwnd(), WM_COMMAND, id, 0); }
    // The button, then the messages until both loads and their checks are through.
    static void ShowPanel() {
        Command(IDC_BTN_STARTUP_MONITOR);
        ASSERT_TRUE(PumpUntil([] { return !window().StartupBusy(); }, 30000))
            << "the startup list did not finish loading";
    }
    static int RowOf(const std::wstring& name) {
        const auto& rows = panel().Rows();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].Name() == name)
                return static_cast<int>(i);
        return -1;
    }
    // Everything listed now is remembered.
    static void AllowAll() {
        ASSERT_NO_FATAL_FAILURE(ShowPanel());
        Command(IDM_B7_ALLOW_ALL);
        EXPECT_EQ(window().AlertPending(), 0);
    }

private:
    static inline ScratchFolder* scratch_ = nullptr;
    static inline SettingsStore* settings_ = nullptr;
    static inline MainWindow* window_ = nullptr;
    static inline bool started_ = false;
};

TEST_F(StartupPanelTest, TheButtonShowsEveryEntryWithItsStatusAndDetails) {
    const std::wstring program = scratch().PlaceSleeper(Unique(L"ListedAgent"));
    SleeperProcess agent = SleeperProcess::Start(program);
    ASSERT_TRUE(agent.running()) << agent.error();
    const std::wstring running = Tag(L"Tessaly running"), idle = Tag(L"Tessaly idle");
    PutRunValue(HKEY_CURRENT_USER, running, L"\"" + program + L"\" /tray");
    PutRunValue(HKEY_LOCAL_MACHINE, idle, L"c:\\absent\\idle.exe");

    Command(IDC_BTN_STARTUP_MONITOR);
    EXPECT_TRUE(FindOwnWindow(L"TessalyPleaseWait")) << "no word that the list is loading";
    ASSERT_TRUE(PumpUntil([] { return !window().StartupBusy(); }, 30000));
    DeleteRunValues(running);
    DeleteRunValues(idle);

    EXPECT_EQ(window().ViewTitle(), L"Startup Monitor");
    const HWND list = panel().List();
    EXPECT_TRUE(::IsWindowVisible(list));
    EXPECT_FALSE(::IsWindowVisible(window().Panel().List()));
    EXPECT_EQ(WindowText(::GetDlgItem(window().hwnd(), IDC_LBLPROCESSNO)),
              std::to_wstring(test::ItemCount(list)));
    const int user = RowOf(running), machine = RowOf(idle);
    ASSERT_GE(user, 0);
    ASSERT_GE(machine, 0);
    EXPECT_LT(machine, user) << "machine entries come first";
    const struct {
        int row;
        std::wstring cells[4];
    } expected[] = {
        {user, {running, L"\"" + program + L"\" /tray", L"Registry User section", L"Running"}},
        {machine, {idle, L"c:\\absent\\idle.exe", L"Registry machine section", L"Not running"}},
    };
    for (const auto& e : expected)
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(test::CellText(list, e.row, column), e.cells[column])
                << "row " << e.row << " column " << column;

    // Row 1 is selected, its details shown; the keyboard moves the details with the selection.
    EXPECT_EQ(panel().SelectedRow(), 1);
    const StartupEntry& first = panel().Rows().front();
    EXPECT_EQ(window().Panel().ShownDetails().name, first.fileName);
    EXPECT_EQ(window().Panel().ShownDetails().readMoreLink, L"Read More about " + first.fileName);
    test::SelectInList(list, user);
    EXPECT_EQ(panel().SelectedRow(), user + 1);
    const ProcessDetails shown = window().Panel().ShownDetails();
    EXPECT_EQ(shown.name, Lower(FileNamePart(program)));
    EXPECT_NE(shown.size, L" Byte") << "the file's size is known";
    EXPECT_EQ(shown.readMoreLink, L"Read more about " + Lower(FileNamePart(program)));
    EXPECT_EQ(shown.terminateLink, L"Terminate " + Lower(FileNamePart(program)) + L" Process");

    // Back to the processes as they were, and the startup list again from the main menu.
    Command(IDC_BTN_PROCESS_MONITOR);
    EXPECT_EQ(window().ViewTitle(), L"Process Manager");
    EXPECT_TRUE(::IsWindowVisible(window().Panel().List()));
    Command(IDM_A102_STARTUP_MONITOR);
    ASSERT_TRUE(PumpUntil([] { return !window().StartupBusy(); }, 30000));
    EXPECT_EQ(window().ViewTitle(), L"Startup Monitor");
}

TEST_F(StartupPanelTest, NewEntriesAreRedAndBoldUntilAllowed) {
    const std::wstring known = Tag(L"Tessaly known");
    PutRunValue(HKEY_CURRENT_USER, known, L"c:\\old\\known.exe");
    ASSERT_NO_FATAL_FAILURE(AllowAll());
    const std::wstring fresh = Tag(L"Tessaly fresh");
    PutRunValue(HKEY_CURRENT_USER, fresh, L"c:\\new\\fresh.exe");
    ASSERT_NO_FATAL_FAILURE(ShowPanel());
    const int row = RowOf(fresh);
    ASSERT_GE(row, 0);
    // A selected row is drawn in the selection's colours; look at it unselected.
    test::SelectInList(panel().List(), RowOf(known));
    EXPECT_TRUE(panel().Marked(row));
    for (int i = 0; i < static_cast<int>(panel().Rows().size()); ++i)
        EXPECT_EQ(panel().Marked(i), i == row) << "row " << i;
    // Only its name is drawn red.
    RECT name{}, command{};
    ListView_GetSubItemRect(panel().List(), row, 0, LVIR_LABEL, &name);
    ListView_GetSubItemRect(panel().List(), row, 1, LVIR_LABEL, &command);
    EXPECT_TRUE(DrawsRed(panel().List(), name));
    EXPECT_FALSE(DrawsRed(panel().List(), command));
    // The monitor option is off: no alert, nothing pending.
    EXPECT_EQ(window().AlertPending(), 0);

    Command(IDM_B7_ALLOW_ALL);
    ASSERT_NO_FATAL_FAILURE(ShowPanel());
    DeleteRunValues(fresh);
    DeleteRunValues(known);
    ASSERT_GE(RowOf(fresh), 0);
    test::SelectInList(panel().List(), RowOf(known));
    EXPECT_FALSE(panel().Marked(RowOf(fresh)));
    EXPECT_FALSE(DrawsRed(panel().List(), name));
}

TEST_F(StartupPanelTest, RemovalFromTheKeyboardMenuAsksEndsTheProgramAndDeletesTheEntry) {
    const std::wstring program = scratch().PlaceSleeper(Unique(L"RemovedAgent"));
    SleeperProcess agent = SleeperProcess::Start(program);
    ASSERT_TRUE(agent.running()) << agent.error();
    const UniqueKernelHandle watch = test::Watch(agent.id());
    const std::wstring name = Tag(L"Tessaly removed");
    PutRunValue(HKEY_CURRENT_USER, name, L"\"" + program + L"\"");
    HKEY nt = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kNtRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &nt,
                      nullptr);
    ::RegSetValueExW(nt, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    ::RegCloseKey(nt);
    PutRunValue(HKEY_LOCAL_MACHINE, name, L"\"" + program + L"\"");
    ASSERT_NO_FATAL_FAILURE(ShowPanel());
    // The user's entry comes after the machine's of the same name.
    int row = -1;
    for (size_t i = 0; i < panel().Rows().size(); ++i)
        if (panel().Rows()[i].Name() == name && panel().Rows()[i].hive == StartupHive::User)
            row = static_cast<int>(i);
    ASSERT_GE(row, 0);
    test::SelectInList(panel().List(), row);
    // The process list's selection is somewhere else entirely.
    window().Panel().SelectRow(0);

    const auto removeAnswering = [&](int answer) {
        QuestionSeen seen;
        WhileModal box([] { return FindOwnWindow(test::kDialogClass, L"terminate Process"); },
                       [&](HWND found) { seen = AnswerQuestion(found, answer); });
        KeyboardMenuPick pick(IDM_B3_TERMINATE_REMOVE);
        ::SetFocus(panel().List());
        ::SendMessageW(window().hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel().List()),
                       MAKELPARAM(-1, -1));
        PumpUntil([&] { return box.acted(); }, 5000);
        const std::wstring file = Lower(FileNamePart(program));
        EXPECT_EQ(pick.Caption(IDM_B3_TERMINATE_REMOVE),
                  L"Terminate " + file + L" Process and Remove it from windows auto start");
        EXPECT_EQ(pick.Caption(IDM_B1_READ_MORE), L"Read more about " + file);
        EXPECT_FALSE(pick.Grayed(IDM_B1_READ_MORE));
        EXPECT_FALSE(pick.Grayed(IDM_B5_CHECK_ONLINE));
        EXPECT_FALSE(pick.Grayed(IDM_B7_ALLOW_ALL));
        return seen;
    };

    const QuestionSeen no = removeAnswering(IDNO);
    ASSERT_TRUE(no.asked) << "no question before removing";
    EXPECT_NE(no.text.find(L"Are you sure to terminate this process"), std::wstring::npos);
    EXPECT_NE(no.text.find(name), std::wstring::npos) << Narrow(no.text);
    EXPECT_NE(no.text.find(L"and Remove it from windows auto start"), std::wstring::npos);
    EXPECT_TRUE(no.yesAndNo);
    EXPECT_FALSE(EndsWithin(watch, 300));
    EXPECT_TRUE(HasRunValue(HKEY_CURRENT_USER, kRunKey, name));

    ASSERT_TRUE(removeAnswering(IDYES).asked);
    EXPECT_TRUE(EndsWithin(watch, 5000)) << "the entry's program still runs";
    EXPECT_FALSE(HasRunValue(HKEY_CURRENT_USER, kRunKey, name));
    EXPECT_FALSE(HasRunValue(HKEY_CURRENT_USER, kNtRunKey, name));
    EXPECT_TRUE(HasRunValue(HKEY_LOCAL_MACHINE, kRunKey, name)) << "the machine's entry went too";
    // The list is loaded again, row 1 selected.
    ASSERT_TRUE(PumpUntil([] { return !window().StartupBusy(); }, 30000));
    EXPECT_EQ(panel().SelectedRow(), 1);
    EXPECT_EQ(std::count_if(panel().Rows().begin(), panel().Rows().end(),
                            [&](const StartupEntry& e) { return e.Name() == name; }),
              1);
    DeleteRunValues(name);
}

TEST_F(StartupPanelTest, AnEntryThatNamesNoProgramEndsNothingAndIsStillRemoved) {
    const std::wstring program = scratch().PlaceSleeper(Unique(L"Bystander"));
    SleeperProcess bystander = SleeperProcess::Start(program);
    ASSERT_TRUE(bystander.running()) << bystander.error();
    const UniqueKernelHandle watch = test::Watch(bystander.id());
    const std::wstring name = Tag(L"Tessaly script");
    PutRunValue(HKEY_CURRENT_USER, name, L"c:\\scripts\\start.bat");
    ASSERT_NO_FATAL_FAILURE(ShowPanel());
    const int row = RowOf(name);
    ASSERT_GE(row, 0);
    test::SelectInList(panel().List(), row);
    EXPECT_TRUE(panel().Selected()->fileName.empty());

    WhileModal box([] { return FindOwnWindow(test::kDialogClass, L"terminate Process"); },
                   [](HWND found) { AnswerQuestion(found, IDYES); });
    Command(IDM_B3_TERMINATE_REMOVE);
    EXPECT_TRUE(box.acted());
    EXPECT_FALSE(HasRunValue(HKEY_CURRENT_USER, kRunKey, name));
    EXPECT_FALSE(EndsWithin(watch, 500)) << "an entry without a program ended another";
    ASSERT_TRUE(PumpUntil([] { return !window().StartupBusy(); }, 30000));
}

} // namespace
} // namespace tessaly
