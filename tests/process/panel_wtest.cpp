// The process panel of the main window, driven from inside this program: a real MainWindow
// over the system's real process table, with copies of sleeper.exe to find, sort, inspect,
// re-prioritise and end. Menus and message boxes block inside the window's code; timers answer
// them, since their modal loops dispatch timer messages like any other.
#include "shell/main_window.h"

#include "common/text.h"
#include "process/file_version.h"
#include "probes/exit_windows.h"
#include "process/process_view.h"
#include "settings/registry.h"
#include "shell/resource.h"
#include "support/modal_windows.h"
#include "support/sleeper_process.h"
#include "win32/handles.h"
#include "win32/platform.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using test::AnswerQuestion;
using test::Ballast;
using test::EndPelmoraStartedHere;
using test::EndsWithin;
using test::ExitCode;
using test::ItemCount;
using test::Narrow;
using test::PumpUntil;
using test::QuestionSeen;
using test::SameName;
using test::ScratchFolder;
using test::SelectedItem;
using test::SelectInList;
using test::SleeperProcess;
using test::Unique;
using test::Watch;

std::wstring Folded(std::wstring text) {
    ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Order as the system compares texts for the user, ignoring case, digits by value where it can.
bool LocaleLess(const std::wstring& a, const std::wstring& b) {
    for (const DWORD flags :
         {DWORD{NORM_IGNORECASE | SORT_DIGITSASNUMBERS}, DWORD{NORM_IGNORECASE}})
        if (const int order = ::CompareStringEx(LOCALE_NAME_USER_DEFAULT, flags, a.c_str(), -1,
                                                b.c_str(), -1, nullptr, nullptr, 0))
            return order == CSTR_LESS_THAN;
    return a < b;
}

// --- The list view, read the way another program would see it ---

std::wstring CellText(HWND list, int row, ProcessColumn column) {
    return test::CellText(list, row, static_cast<int>(column));
}

// The sort arrow a header item shows: HDF_SORTUP, HDF_SORTDOWN or 0.
int SortArrow(HWND list, ProcessColumn column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    ::SendMessageW(ListView_GetHeader(list), HDM_GETITEMW, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&item));
    return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
}

// A left click in the middle of a column's header.
void ClickHeader(HWND list, ProcessColumn column) {
    const HWND header = ListView_GetHeader(list);
    RECT item{};
    ::SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column),
                   reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(header, WM_LBUTTONUP, 0, at);
}

// --- Windows that modal loops put up ---

using test::FindOwnWindow;
using test::kDialogClass;
using test::kMenuClass;
using test::WhileModal;

// While alive, counts the dialogs owned by `owner`, every 20 ms, and from
// `closeAfterMs` on closes them one per tick, newest first, as Esc would.
class DialogWatch {
public:
    DialogWatch(HWND owner, ULONGLONG closeAfterMs)
        : owner_(owner), closeAt_(::GetTickCount64() + closeAfterMs) {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 20, &DialogWatch::Tick);
    }
    ~DialogWatch() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    DialogWatch(const DialogWatch&) = delete;
    DialogWatch& operator=(const DialogWatch&) = delete;

    int most() const { return most_; }
    bool allClosed() const { return closing_ && Owned().empty(); }

private:
    std::vector<HWND> Owned() const {
        std::vector<HWND> found;
        for (HWND w = ::GetTopWindow(nullptr); w; w = ::GetWindow(w, GW_HWNDNEXT)) {
            wchar_t cls[16] = {};
            ::GetClassNameW(w, cls, static_cast<int>(std::size(cls)));
            // Shown or not: a dialog box shows itself only once its loop first idles.
            if (std::wcscmp(cls, kDialogClass) == 0 && ::GetWindow(w, GW_OWNER) == owner_)
                found.push_back(w);
        }
        return found;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogWatch* self = current_;
        if (!self)
            return;
        const std::vector<HWND> open = self->Owned();
        self->most_ = std::max(self->most_, static_cast<int>(open.size()));
        if (::GetTickCount64() < self->closeAt_)
            return;
        self->closing_ = true;
        if (!open.empty())
            ::PostMessageW(open.front(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }

    static inline DialogWatch* current_ = nullptr;
    HWND owner_;
    ULONGLONG closeAt_;
    UINT_PTR timer_ = 0;
    int most_ = 0;
    bool closing_ = false;
};

// What the process menu showed while it was open.
struct MenuSeen {
    bool open = false;
    UINT priority[4] = {}; // MF_CHECKED of Idle, Normal, High, RealTime
    std::wstring terminate;
    bool exploreEnabled = false;
};

MenuSeen ReadMenuThenClose(HMENU menu) {
    MenuSeen seen;
    seen.open = true;
    const int items[] = {IDM_P1_IDLE, IDM_P2_NORMAL, IDM_P3_HIGH, IDM_P4_REALTIME};
    for (int i = 0; i < 4; ++i)
        seen.priority[i] = ::GetMenuState(menu, items[i], MF_BYCOMMAND) & MF_CHECKED;
    wchar_t text[256] = {};
    ::GetMenuStringW(menu, IDM_BB_TERMINATE, text, static_cast<int>(std::size(text)), MF_BYCOMMAND);
    seen.terminate = text;
    seen.exploreEnabled =
        !(::GetMenuState(menu, IDM_AA34_EXPLORE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
    ::EndMenu();
    return seen;
}

// A text buffer that ends where readable memory ends: a known pattern closed by a terminator
// in its very last character. Writing past its end faults at once instead of spoiling
// whatever lies next to it.
class GuardedText {
public:
    GuardedText() {
        SYSTEM_INFO system{};
        ::GetSystemInfo(&system);
        page_ = system.dwPageSize;
        base_ = static_cast<wchar_t*>(
            ::VirtualAlloc(nullptr, 2 * page_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old = 0;
        if (base_ &&
            ::VirtualProtect(reinterpret_cast<char*>(base_) + page_, page_, PAGE_NOACCESS, &old))
            std::fill(base_, end(), kPattern);
        if (base_)
            end()[-1] = L'\0';
    }
    ~GuardedText() {
        if (base_)
            ::VirtualFree(base_, 0, MEM_RELEASE);
    }
    GuardedText(const GuardedText&) = delete;
    GuardedText& operator=(const GuardedText&) = delete;

    bool ok() const { return base_ && *base_ == kPattern; }
    wchar_t* end() const { return base_ + page_ / sizeof(wchar_t); }
    bool untouched() const {
        return std::all_of(base_, end() - 1, [](wchar_t c) { return c == kPattern; }) &&
               end()[-1] == L'\0';
    }

private:
    static constexpr wchar_t kPattern = L'#';
    size_t page_ = 0;
    wchar_t* base_ = nullptr;
};

// One running copy of sleeper.exe and the file it runs from.
struct Helper {
    std::wstring path;
    SleeperProcess process;
};

class ProcessPanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::InitMainWindowControls();
        // A fault ends this program at once, as a failure, instead of waiting on a debugger.
        ::SetUnhandledExceptionFilter([](EXCEPTION_POINTERS* fault) -> LONG {
            std::fprintf(stderr, "fault %08lx at %p\n", fault->ExceptionRecord->ExceptionCode,
                         fault->ExceptionRecord->ExceptionAddress);
            std::fflush(stdout);
            return EXCEPTION_EXECUTE_HANDLER;
        });
        scratch_ = new ScratchFolder(L"tessaly panel");
        // Two copies under one name in different folders, and one whose name only ends the same.
        helpers_ = new std::vector<Helper>();
        for (const std::wstring& relative :
             {L"one\\" + Unique(L"panel"), L"two\\" + Unique(L"panel"),
              L"one\\" + Unique(L"Xpanel")}) {
            Helper helper;
            helper.path = scratch_->PlaceSleeper(relative);
            if (!helper.path.empty())
                helper.process = SleeperProcess::Start(helper.path);
            helpers_->push_back(std::move(helper));
        }
        settings_ = new SettingsStore();
        window_ = new MainWindow(StartOptions{}, *settings_);
        started_ = window_->Start() && PumpUntil([] { return !window_->Loading(); }, 30000);
    }

    static void TearDownTestSuite() {
        if (window_ && window_->hwnd()) {
            ::DestroyWindow(window_->hwnd());
            test::PumpFor(50); // lets the quit message and the rest go by
        }
        delete window_;
        delete settings_;
        EndPelmoraStartedHere();
        delete helpers_;
        delete scratch_;
        window_ = nullptr;
        settings_ = nullptr;
        helpers_ = nullptr;
        scratch_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(started_) << "the main window did not start or did not finish loading";
        for (const Helper& helper : *helpers_)
            ASSERT_STARTED(helper.process);
    }

    static MainWindow& window() { return *window_; }
    static ProcessPanel& panel() { return window_->Panel(); }
    static HWND list() { return panel().List(); }
    static const ScratchFolder& scratch() { return *scratch_; }
    // one\panel…, two\panel…, one\Xpanel…
    static const Helper& helper(size_t i) { return (*helpers_)[i]; }

    static void Command(int id) {
        ::SendMessageW(window().hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window().hwnd(), id)));
    }

    // The "Process" button, then the messages until the rebuilt list is on the screen.
    static void Rebuild() {
        Command(IDC_BTN_PROCESS);
        ASSERT_TRUE(PumpUntil([] { return !window().Loading(); }, 20000))
            << "the refresh did not end";
    }

    static int RowOf(DWORD pid) {
        const auto& rows = panel().Rows();
        const auto found = std::find_if(rows.begin(), rows.end(), [pid](const ProcessRecord& row) {
            return row.processId == pid;
        });
        return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
    }

    static std::wstring Details(int id) { return WindowText(::GetDlgItem(window().hwnd(), id)); }

private:
    static inline ScratchFolder* scratch_ = nullptr;
    static inline std::vector<Helper>* helpers_ = nullptr;
    static inline SettingsStore* settings_ = nullptr;
    static inline MainWindow* window_ = nullptr;
    static inline bool started_ = false;
};

TEST_F(ProcessPanelTest, EachProcessHasItsOwnRowWithItsOwnFolder) {
    // Started after the window loaded: only the button brings it in.
    const std::wstring latePath = scratch().PlaceSleeper(L"late\\" + Unique(L"late"));
    ASSERT_FALSE(latePath.empty());
    SleeperProcess late = SleeperProcess::Start(latePath);
    ASSERT_STARTED(late);
    EXPECT_EQ(RowOf(late.id()), -1) << "listed before any refresh";

    ASSERT_NO_FATAL_FAILURE(Rebuild());
    ASSERT_EQ(ItemCount(list()), static_cast<int>(panel().Rows().size()));
    EXPECT_GE(RowOf(late.id()), 0) << "a new process is missing after the refresh";

    for (size_t i = 0; i < 3; ++i) {
        const Helper& h = helper(i);
        SCOPED_TRACE(Narrow(h.path));
        const auto& rows = panel().Rows();
        EXPECT_EQ(
            std::count_if(rows.begin(), rows.end(),
                          [&](const ProcessRecord& r) { return r.processId == h.process.id(); }),
            1);
        const int index = RowOf(h.process.id());
        ASSERT_GE(index, 0);
        const ProcessRecord& row = rows[index];
        EXPECT_TRUE(SameName(row.imageName, FileNamePart(h.path))) << Narrow(row.imageName);
        EXPECT_GE(row.threadCount, 1u);
        EXPECT_GT(row.workingSetKb, 0u);
        EXPECT_TRUE(SameName(row.path, h.path)) << Narrow(row.path);
        EXPECT_EQ(row.path, Folded(row.path)) << "the path is shown in lower case";

        // The cells as the list view hands them out.
        EXPECT_EQ(CellText(list(), index, ProcessColumn::Name), row.imageName);
        EXPECT_EQ(CellText(list(), index, ProcessColumn::Id), std::to_wstring(h.process.id()));
        EXPECT_EQ(CellText(list(), index, ProcessColumn::Threads),
                  std::to_wstring(row.threadCount));
        EXPECT_EQ(CellText(list(), index, ProcessColumn::Memory),
                  std::to_wstring(row.workingSetKb));
        EXPECT_TRUE(SameName(CellText(list(), index, ProcessColumn::Path), h.path));
    }
    // An asker may offer no room at all: nothing is written, before or after its pointer.
    {
        const GuardedText text;
        ASSERT_TRUE(text.ok());
        LVITEMW item{};
        item.pszText = text.end() - 4;
        item.cchTextMax = 0;
        ::SendMessageW(list(), LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_TRUE(text.untouched());
    }
    // One name, two folders: each row names its own.
    const int one = RowOf(helper(0).process.id()), two = RowOf(helper(1).process.id());
    ASSERT_TRUE(one >= 0 && two >= 0);
    EXPECT_NE(CellText(list(), one, ProcessColumn::Path),
              CellText(list(), two, ProcessColumn::Path));

    // A process that ended leaves with the next refresh.
    const DWORD lateId = late.id();
    ASSERT_TRUE(late.Kill());
    ASSERT_NO_FATAL_FAILURE(Rebuild());
    EXPECT_EQ(RowOf(lateId), -1);
    EXPECT_EQ(ItemCount(list()), static_cast<int>(panel().Rows().size()));
}

TEST_F(ProcessPanelTest, HeaderClicksSortByValueThenByNameAndTheButtonStartsOver) {
    // The helpers use some 13 MB here; with this, our own figure has a digit more, so an order
    // by text would differ from the order by value.
    const Ballast ballast(192u << 20);
    ASSERT_NO_FATAL_FAILURE(Rebuild());
    const DWORD followed = helper(1).process.id();
    ASSERT_GE(RowOf(followed), 0);
    SelectInList(list(), RowOf(followed));
    ASSERT_EQ(panel().Selected()->processId, followed);

    const auto arrows = [](ProcessColumn sorted, int arrow) {
        for (int c = 0; c <= static_cast<int>(ProcessColumn::Path); ++c) {
            const auto column = static_cast<ProcessColumn>(c);
            EXPECT_EQ(SortArrow(list(), column), column == sorted ? arrow : 0) << "column " << c;
        }
    };
    const auto memoryInList = [] {
        std::vector<unsigned long> values;
        for (int i = 0; i < ItemCount(list()); ++i)
            values.push_back(
                std::wcstoul(CellText(list(), i, ProcessColumn::Memory).c_str(), nullptr, 10));
        return values;
    };
    const auto selectionFollows = [&] {
        // The selected process stays selected, wherever the sort put it.
        const int row = RowOf(followed);
        EXPECT_EQ(panel().SelectedRow(), row + 1);
        EXPECT_EQ(SelectedItem(list()), row);
        EXPECT_EQ(panel().ShownDetails().name, FileNamePart(helper(1).path));
    };

    // Memory, ascending by value: a 4-digit figure comes before a 5-digit one, which text order
    // would put the other way round.
    ClickHeader(list(), ProcessColumn::Memory);
    EXPECT_EQ(panel().Sort().column, ProcessColumn::Memory);
    EXPECT_FALSE(panel().Sort().descending);
    std::vector<unsigned long> memory = memoryInList();
    EXPECT_TRUE(std::is_sorted(memory.begin(), memory.end()));
    ASSERT_FALSE(memory.empty());
    EXPECT_LT(std::to_wstring(memory.front()).size(), std::to_wstring(memory.back()).size())
        << "all figures have as many digits: the order does not tell value from text";
    arrows(ProcessColumn::Memory, HDF_SORTUP);
    selectionFollows();

    // The same header again turns the order round.
    ClickHeader(list(), ProcessColumn::Memory);
    EXPECT_TRUE(panel().Sort().descending);
    memory = memoryInList();
    EXPECT_TRUE(std::is_sorted(memory.rbegin(), memory.rend()));
    arrows(ProcessColumn::Memory, HDF_SORTDOWN);
    selectionFollows();

    // Name, ascending without regard to case: "Xpanel…" comes after "panel…", where a
    // character-code order would put the capital first.
    ClickHeader(list(), ProcessColumn::Name);
    EXPECT_EQ(panel().Sort().column, ProcessColumn::Name);
    EXPECT_FALSE(panel().Sort().descending);
    std::vector<std::wstring> names;
    for (int i = 0; i < ItemCount(list()); ++i)
        names.push_back(CellText(list(), i, ProcessColumn::Name));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), LocaleLess));
    EXPECT_GT(RowOf(helper(2).process.id()), RowOf(helper(0).process.id()));
    EXPECT_GT(RowOf(helper(2).process.id()), RowOf(helper(1).process.id()));
    arrows(ProcessColumn::Name, HDF_SORTUP);
    selectionFollows();

    // The button builds the list afresh: by name, ascending, row 1 selected, whatever the user
    // had chosen before.
    ClickHeader(list(), ProcessColumn::Threads);
    SelectInList(list(), ItemCount(list()) - 1);
    ASSERT_NO_FATAL_FAILURE(Rebuild());
    EXPECT_EQ(panel().Sort().column, ProcessColumn::Name);
    EXPECT_FALSE(panel().Sort().descending);
    arrows(ProcessColumn::Name, HDF_SORTUP);
    names.clear();
    for (const ProcessRecord& row : panel().Rows())
        names.push_back(row.imageName);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), LocaleLess));
    EXPECT_EQ(panel().SelectedRow(), 1);
    EXPECT_EQ(SelectedItem(list()), 0);
    EXPECT_EQ(panel().ShownDetails().name, panel().Rows().front().imageName);
}

TEST_F(ProcessPanelTest, DetailsAreaDescribesTheSelectedFile) {
    ASSERT_NO_FATAL_FAILURE(Rebuild());
    // A helper (no version resource) and this program (which has one).
    for (const std::wstring& path : {helper(0).path, ModulePath()}) {
        SCOPED_TRACE(Narrow(path));
        const DWORD pid = path == helper(0).path ? helper(0).process.id() : ::GetCurrentProcessId();
        const int row = RowOf(pid);
        ASSERT_GE(row, 0);
        SelectInList(list(), row);
        ASSERT_EQ(panel().SelectedRow(), row + 1) << "the panel missed the list's selection";

        const std::wstring name = FileNamePart(path);
        WIN32_FILE_ATTRIBUTE_DATA file{};
        ASSERT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file));
        const uint64_t size = (static_cast<uint64_t>(file.nFileSizeHigh) << 32) | file.nFileSizeLow;
        const FileInfoRecord info = GetFileInfo(path);

        const ProcessDetails shown = panel().ShownDetails();
        EXPECT_TRUE(SameName(shown.name, name)) << Narrow(shown.name);
        EXPECT_EQ(shown.size, std::to_wstring(size) + L" Byte");
        EXPECT_EQ(shown.company, info.company);
        EXPECT_EQ(shown.description, info.description);
        EXPECT_EQ(shown.version, info.fileVersion);
        EXPECT_NE(Details(1027).find(L"Terminate " + panel().Rows()[row].imageName + L" Process"),
                  std::wstring::npos)
            << Narrow(Details(1027));
        EXPECT_NE(panel().ShownIcon(), nullptr) << "no icon for the file";
    }
    // This program's own texts are really there, read through the lower-cased path the row has.
    EXPECT_EQ(panel().ShownDetails().company, L"Orvix");
    EXPECT_EQ(panel().ShownDetails().description, L"Tessaly panel test");
    EXPECT_FALSE(panel().ShownDetails().version.empty());
}

TEST_F(ProcessPanelTest, ContextMenuMarksThePriorityAndSetsIt) {
    ASSERT_NO_FATAL_FAILURE(Rebuild());
    const Helper& h = helper(0);
    const UniqueKernelHandle process(::OpenProcess(
        PROCESS_SET_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, h.process.id()));
    ASSERT_TRUE(process);
    ASSERT_TRUE(::SetPriorityClass(process.get(), HIGH_PRIORITY_CLASS));
    const int row = RowOf(h.process.id());
    ASSERT_GE(row, 0);
    const std::wstring terminate = L"Terminate " + panel().Rows()[row].imageName + L" Process";

    // From the keyboard (Shift+F10 or the menu key): the menu of the selected row.
    SelectInList(list(), row);
    MenuSeen seen;
    {
        WhileModal open([] { return FindOwnWindow(kMenuClass); },
                        [&](HWND) { seen = ReadMenuThenClose(window().ProcessMenu()); });
        ::SendMessageW(window().hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list()),
                       MAKELPARAM(-1, -1));
    }
    ASSERT_TRUE(seen.open) << "the menu did not open";
    EXPECT_FALSE(seen.priority[0]);
    EXPECT_FALSE(seen.priority[1]);
    EXPECT_TRUE(seen.priority[2]) << "High is not marked";
    EXPECT_FALSE(seen.priority[3]);
    EXPECT_EQ(seen.terminate, terminate);
    EXPECT_TRUE(seen.exploreEnabled);

    Command(IDM_P1_IDLE);
    EXPECT_EQ(::GetPriorityClass(process.get()), static_cast<DWORD>(IDLE_PRIORITY_CLASS));

    // A right click on the row while another one is selected: the menu is the clicked row's,
    // and the mark follows the new priority rather than the last one shown.
    SelectInList(list(), row == 0 ? 1 : 0);
    seen = MenuSeen{};
    {
        WhileModal open([] { return FindOwnWindow(kMenuClass); },
                        [&](HWND) { seen = ReadMenuThenClose(window().ProcessMenu()); });
        RECT item{};
        ListView_GetItemRect(list(), row, &item, LVIR_LABEL);
        NMITEMACTIVATE click{};
        click.hdr = {list(), IDC_LSTPROCESSES, static_cast<UINT>(NM_RCLICK)};
        click.iItem = row;
        click.ptAction = {item.left + 2, item.top + 2};
        ::SendMessageW(window().hwnd(), WM_NOTIFY, IDC_LSTPROCESSES,
                       reinterpret_cast<LPARAM>(&click));
    }
    ASSERT_TRUE(seen.open) << "the menu did not open";
    EXPECT_EQ(panel().SelectedRow(), row + 1);
    EXPECT_TRUE(seen.priority[0]) << "Idle is not marked";
    EXPECT_FALSE(seen.priority[1]);
    EXPECT_FALSE(seen.priority[2]) << "High is still marked";
    EXPECT_FALSE(seen.priority[3]);
    EXPECT_EQ(seen.terminate, terminate);

    Command(IDM_P2_NORMAL);
    EXPECT_EQ(::GetPriorityClass(process.get()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
}

TEST_F(ProcessPanelTest, ModulesDialogListsTheProcessAndHoldsTheWindow) {
    ASSERT_NO_FATAL_FAILURE(Rebuild());
    const Helper& h = helper(1);
    const int row = RowOf(h.process.id());
    ASSERT_GE(row, 0);
    SelectInList(list(), row);
    const std::wstring name = panel().Rows()[row].imageName;

    Command(IDM_A100_PROCESS_DETAILS);
    const HWND dialog = FindOwnWindow(kDialogClass, L"Modules Details For[ " + name + L"]");
    ASSERT_TRUE(dialog) << "no modules dialog for " << Narrow(name);
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), window().hwnd());
    EXPECT_FALSE(::IsWindowEnabled(window().hwnd())) << "the main window is usable meanwhile";

    const HWND modules = ::FindWindowExW(dialog, nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_TRUE(modules);
    std::vector<std::wstring> files;
    for (int i = 0; i < ItemCount(modules); ++i)
        files.push_back(Folded(FileNamePart(CellText(modules, i, ProcessColumn::Name))));
    for (const wchar_t* dll : {L"ntdll.dll", L"kernel32.dll"})
        EXPECT_NE(std::find(files.begin(), files.end(), dll), files.end()) << Narrow(dll);
    EXPECT_EQ(std::find(files.begin(), files.end(), Folded(name)), files.end())
        << "the program's own file is listed";

    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(dialog); }, 5000));
    EXPECT_TRUE(::IsWindowEnabled(window().hwnd()));
}

TEST_F(ProcessPanelTest, AProcessThatCannotBeEndedIsSaidSo) {
    // Nobody but this test (which holds the handle CreateProcess gave) may open it at all.
    SECURITY_DESCRIPTOR closed{};
    ASSERT_TRUE(::InitializeSecurityDescriptor(&closed, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(::SetSecurityDescriptorDacl(&closed, TRUE, nullptr, FALSE));
    ACL empty{};
    ASSERT_TRUE(::InitializeAcl(&empty, sizeof empty, ACL_REVISION));
    ASSERT_TRUE(::SetSecurityDescriptorDacl(&closed, TRUE, &empty, FALSE));
    SECURITY_ATTRIBUTES security{sizeof security, &closed, FALSE};
    const std::wstring name = Unique(L"locked");
    const std::wstring path = scratch().PlaceSleeper(L"locked\\" + name);
    SleeperProcess locked = SleeperProcess::Start(path, &security);
    ASSERT_STARTED(locked);
    if (UniqueKernelHandle probe(::OpenProcess(PROCESS_TERMINATE, FALSE, locked.id())); probe)
        GTEST_SKIP() << "this system does not enforce process security";

    ASSERT_NO_FATAL_FAILURE(Rebuild());
    const int row = RowOf(locked.id());
    ASSERT_GE(row, 0);
    SelectInList(list(), row);
    EXPECT_EQ(panel().ShownDetails().size, L"") << "a size line without a size";

    QuestionSeen failure;
    {
        // "Yes", then whatever comes next is read and closed.
        std::optional<WhileModal> told;
        WhileModal question([] { return FindOwnWindow(kDialogClass, L"terminate Process"); },
                            [&](HWND box) {
                                AnswerQuestion(box, IDYES);
                                told.emplace([] { return FindOwnWindow(kDialogClass, L"Tessaly"); },
                                             [&](HWND box) {
                                                 failure = AnswerQuestion(box, IDOK);
                                                 ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                                             });
                            });
        Command(IDC_BTN_KILL);
    }
    EXPECT_TRUE(failure.asked) << "the failed ending went unsaid";
    EXPECT_NE(failure.text.find(name), std::wstring::npos) << Narrow(failure.text);
    ASSERT_TRUE(PumpUntil([] { return !window().Loading(); }, 20000));
    EXPECT_GE(RowOf(locked.id()), 0) << "it was ended after all";
}

TEST_F(ProcessPanelTest, ARebuildGivesTheListTheKeyboardAtRowOne) {
    const HWND nav = ::GetDlgItem(window().hwnd(), IDC_NAVBAR);
    ASSERT_TRUE(nav);
    for (const int command : {IDC_BTN_PROCESS, IDM_KK2_REFRESH}) {
        SCOPED_TRACE(command);
        SelectInList(list(), ItemCount(list()) - 1); // scrolled away from the top
        ::SetFocus(nav);
        Command(command);
        ASSERT_TRUE(PumpUntil([] { return !window().Loading(); }, 20000));
        EXPECT_EQ(::GetFocus(), list());
        EXPECT_EQ(SelectedItem(list()), 0);
        EXPECT_EQ(ListView_GetTopIndex(list()), 0);
    }
}

TEST_F(ProcessPanelTest, OneDialogHoldsTheWindowAtATime) {
    const HWND main = window().hwnd();
    const auto options = [main] {
        ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_A6_OPTIONS, 0), 0);
    };
    // "Options" from the tray while Options is open, and while the modules dialog is.
    for (const bool modulesFirst : {false, true}) {
        SCOPED_TRACE(modulesFirst ? "modules dialog open" : "options dialog open");
        DialogWatch watch(main, 800);
        if (modulesFirst) {
            SelectInList(list(), 0);
            Command(IDM_A100_PROCESS_DETAILS);
        } else {
            options();
        }
        options();
        ASSERT_TRUE(PumpUntil([&] { return watch.allClosed(); }, 10000));
        EXPECT_EQ(watch.most(), 1);
        EXPECT_TRUE(::IsWindowEnabled(main));
    }
}

TEST_F(ProcessPanelTest, TerminatingEndsEveryProcessOfThatNameAndNoOther) {
    // Its own set, so the other tests keep their helpers.
    const std::wstring name = Unique(L"end");
    const std::wstring paths[] = {scratch().PlaceSleeper(L"end one\\" + name),
                                  scratch().PlaceSleeper(L"end two\\" + name),
                                  scratch().PlaceSleeper(L"end one\\x" + name)};
    for (const std::wstring& path : paths)
        ASSERT_FALSE(path.empty());
    SleeperProcess first = SleeperProcess::Start(paths[0]);
    ASSERT_STARTED(first);
    SleeperProcess second = SleeperProcess::Start(paths[1]);
    ASSERT_STARTED(second);
    SleeperProcess lookalike = SleeperProcess::Start(paths[2]);
    ASSERT_STARTED(lookalike);
    const UniqueKernelHandle firstWatch = Watch(first.id()), secondWatch = Watch(second.id()),
                             lookalikeWatch = Watch(lookalike.id());

    ASSERT_NO_FATAL_FAILURE(Rebuild());
    const int row = RowOf(second.id());
    ASSERT_GE(row, 0);
    SelectInList(list(), row);
    const std::wstring shown = panel().Rows()[row].imageName;

    const auto ask = [&](int answer, const std::function<void()>& trigger) {
        QuestionSeen seen;
        {
            WhileModal box([] { return FindOwnWindow(kDialogClass, L"terminate Process"); },
                           [&](HWND window) { seen = AnswerQuestion(window, answer); });
            trigger();
        }
        EXPECT_TRUE(seen.asked) << "no question before ending";
        EXPECT_TRUE(seen.yesAndNo);
        EXPECT_NE(seen.text.find(shown), std::wstring::npos) << Narrow(seen.text);
    };

    // "No", from the button and from the link: nothing ends and the list stays as it is.
    ask(IDNO, [] { Command(IDC_BTN_KILL); });
    // Enter on the link is its click.
    ask(IDNO,
        [&] { ::SendMessageW(::GetDlgItem(window().hwnd(), 1027), WM_KEYDOWN, VK_RETURN, 0); });
    EXPECT_FALSE(EndsWithin(firstWatch, 200));
    EXPECT_FALSE(EndsWithin(secondWatch, 0));
    EXPECT_FALSE(EndsWithin(lookalikeWatch, 0));
    EXPECT_FALSE(window().Loading());
    EXPECT_EQ(panel().SelectedRow(), row + 1);

    // "Yes": every process of that name goes, from either folder; the lookalike stays.
    ask(IDYES, [] { Command(IDC_BTN_KILL); });
    ASSERT_TRUE(EndsWithin(secondWatch, 5000));
    ASSERT_TRUE(EndsWithin(firstWatch, 5000)) << "the same name in another folder lives on";
    EXPECT_EQ(ExitCode(secondWatch), 1u);
    EXPECT_EQ(ExitCode(firstWatch), 1u);
    EXPECT_FALSE(EndsWithin(lookalikeWatch, 200)) << "a name that only ends the same was ended";

    // The list is rebuilt by itself.
    ASSERT_TRUE(PumpUntil([] { return !window().Loading(); }, 20000));
    EXPECT_EQ(RowOf(first.id()), -1);
    EXPECT_EQ(RowOf(second.id()), -1);
    for (const ProcessRecord& r : panel().Rows())
        EXPECT_FALSE(SameName(r.imageName, name)) << "still listed: " << r.processId;
    EXPECT_GE(RowOf(lookalike.id()), 0);
    EXPECT_EQ(ItemCount(list()), static_cast<int>(panel().Rows().size()));
    EXPECT_EQ(panel().SelectedRow(), 1);
}

TEST_F(ProcessPanelTest, MainMenuShutDownItemsAskThroughTheSeam) {
    // w2 as the resource builds it: "Run New Task" first, "ShutDown" before the way out.
    const UniqueMenu menu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_W2)));
    const HMENU w2 = ::GetSubMenu(menu.get(), 0);
    const int count = ::GetMenuItemCount(w2);
    ASSERT_GE(count, 4);
    EXPECT_EQ(::GetMenuItemID(w2, 0), static_cast<UINT>(IDM_A33_RUN_NEW_TASK));
    EXPECT_EQ(::GetMenuItemID(w2, count - 1), static_cast<UINT>(IDM_A2_EXIT));
    EXPECT_TRUE(::GetMenuState(w2, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(::GetMenuState(w2, count - 4, MF_BYPOSITION) & MF_SEPARATOR);
    const HMENU shutdown = ::GetSubMenu(w2, count - 3);
    ASSERT_NE(shutdown, nullptr);
    wchar_t caption[32] = {};
    ::GetMenuStringW(w2, count - 3, caption, 32, MF_BYPOSITION);
    EXPECT_STREQ(caption, L"ShutDown");

    std::vector<UINT> flags;
    const ScopedExitWindowsEx seam([&](UINT f, DWORD) {
        flags.push_back(f);
        return FALSE;
    });
    for (int item = 0; item < 3; ++item)
        Command(static_cast<int>(::GetMenuItemID(shutdown, item)));
    const std::vector<UINT> expected = {EWX_LOGOFF | EWX_FORCEIFHUNG, EWX_REBOOT | EWX_FORCEIFHUNG,
                                        EWX_SHUTDOWN | EWX_FORCEIFHUNG};
    EXPECT_EQ(flags, expected) << "Log off User, Restart Windows, Shutdown Windows";
    EXPECT_TRUE(::IsWindow(window().hwnd())) << "a refused shutdown leaves varnok running";
}

} // namespace
} // namespace tessaly
