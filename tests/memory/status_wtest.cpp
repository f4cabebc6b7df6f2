// The main window's status bar, its memory panel and its automatic refresh, driven from inside
// this program: a real MainWindow over the system's real process table and memory figures, with
// settings of its own in this test's registry keys and a sleeper.exe that comes and goes.
// Also the watched settings key through which the memory timer reads its options ten times
// a second.
#include "shell/main_window.h"

#include "memory/memory_figures.h"
#include "process/process_list.h"
#include "settings/registry.h"
#include "settings/setting_names.h"
#include "settings/test_keys.h"
#include "shell/resource.h"
#include "shell/status_texts.h"
#include "support/accessible_reader.h"
#include "support/sleeper_process.h"
#include "win32/handles.h"
#include "win32/platform.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <functional>
#include <memory>
#include <optional>
#include <regex>
#include <string>

namespace tessaly {
namespace {

using namespace settings;
using test::Ballast;
using test::EndPelmoraStartedHere;
using test::PumpFor;
using test::SelectedItem;
using test::SelectInList;
using test::SleeperProcess;
using test::TestKey;

// The memory panel's controls.
constexpr int kFreeBar = 1201;
constexpr int kScaleTotal = 1203, kScaleThreeQuarters = 1215, kScaleHalf = 1209,
              kScaleQuarter = 1216;
constexpr int kUsed = 1204, kFreeWhole = 1205, kFreeShare = 1207;
constexpr int kTotal = 1230, kAvailable = 1231, kPageFile = 1232, kOptimize = 1240;
constexpr int kMemoryControls[] = {kFreeBar,      kScaleTotal, kScaleThreeQuarters, kScaleHalf,
                                   kScaleQuarter, kUsed,       kFreeWhole,          kFreeShare,
                                   kTotal,        kAvailable,  kPageFile,           kOptimize};

// `done` is asked after every message, so a state that lasts for a few messages only is seen.
bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    return test::PumpUntil(done, ms, test::PumpCheck::AfterEachMessage);
}

MEMORYSTATUSEX MemoryNow() {
    MEMORYSTATUSEX status{sizeof status};
    EXPECT_TRUE(::GlobalMemoryStatusEx(&status));
    return status;
}

double Megabytes(uint64_t bytes) {
    return static_cast<double>(bytes) / 1048576.0;
}

// A regular expression that matches `text` as it stands, one bracketed character at a time.
std::wstring Literally(std::wstring_view text) {
    std::wstring pattern;
    for (wchar_t c : text)
        pattern += std::wstring(L"[") + (std::wcschr(L"]\\^-", c) ? L"\\" : L"") + c + L"]";
    return pattern;
}

std::wstring LocaleText(LCTYPE what, const wchar_t* fallback) {
    wchar_t text[8] = {};
    return ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, what, text, 8) ? text : fallback;
}

// The number a text shows in the form `pattern`: its first group holds the whole part and
// its second, where there is one, the fraction.
std::optional<double> Figure(const std::wstring& text, const std::wstring& pattern) {
    std::wsmatch match;
    if (!std::regex_match(text, match, std::wregex(pattern)))
        return std::nullopt;
    std::wstring number = match[1].str();
    if (match.size() > 2 && match[2].matched)
        number += L"." + match[2].str();
    return std::wcstod(number.c_str(), nullptr);
}

std::wstring StatusPanel(HWND window, int part) {
    const HWND bar = ::GetDlgItem(window, IDC_STATUSBAR1);
    const int length = LOWORD(::SendMessageW(bar, SB_GETTEXTLENGTHW, part, 0));
    std::wstring text(length + 1, L'\0');
    ::SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::InitMainWindowControls(); }

    void TearDown() override {
        if (window_ && window_->hwnd()) {
            ::DestroyWindow(window_->hwnd());
            PumpFor(50); // lets the quit message and the rest go by
        }
        window_.reset(); // waits for a refresh still on its way
        EndPelmoraStartedHere();
    }

    // Starts the window over this test's settings and waits for its first list.
    void Open() {
        window_ = std::make_unique<MainWindow>(StartOptions{}, store_);
        ASSERT_TRUE(window_->Start()) << "no window";
        ASSERT_TRUE(PumpUntil([this] { return !window_->Loading(); }, 30000))
            << "the first list did not come";
        ASSERT_TRUE(::IsWindowVisible(hwnd()));
    }

    HWND hwnd() const { return window_->hwnd(); }
    ProcessPanel& panel() const { return window_->Panel(); }
    HWND list() const { return panel().List(); }
    void Command(int id) const {
        ::SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
    std::wstring Text(int id) const { return WindowText(::GetDlgItem(hwnd(), id)); }
    bool Visible(int id) const {
        const HWND control = ::GetDlgItem(hwnd(), id);
        return control && ::IsWindowVisible(control);
    }
    int RowOf(DWORD pid) const { return RowOfProcess(panel().Rows(), pid); }
    std::wstring CountText() const {
        return L"Total Processes: " + std::to_wstring(panel().Rows().size());
    }

    // Calls `show` after some memory ticks and checks the panel against the memory status read
    // just before and just after: free memory moves, and the panel's reading lies in between.
    // Memory taken or given back before the call is in both readings, so a panel that missed
    // the change is out of range.
    void ExpectMemoryLabels(const std::function<void()>& show) const;

    TestKey machine_{L"machine"};
    TestKey user_{L"user"};
    SettingsStore store_{machine_.get(), user_.get()};
    std::unique_ptr<MainWindow> window_;
};

void MainWindowTest::ExpectMemoryLabels(const std::function<void()>& show) const {
    // Wine keeps the memory status for a second: the first reading here is one taken after
    // whatever changed before the call.
    PumpFor(1100);
    const MEMORYSTATUSEX before = MemoryNow();
    PumpFor(300);
    show();
    const std::wstring total = Text(kTotal), available = Text(kAvailable),
                       freeWhole = Text(kFreeWhole), used = Text(kUsed), share = Text(kFreeShare),
                       pageFile = Text(kPageFile);
    // The bar as a screen reader reads it: its name, and the share as its value ("37%").
    const test::AccessibleReader graph(::GetDlgItem(hwnd(), kFreeBar));
    ASSERT_TRUE(graph.object);
    EXPECT_EQ(graph.Name(), L"Physical memory Usage Graph");
    EXPECT_EQ(graph.Role(), ROLE_SYSTEM_PROGRESSBAR);
    const std::wstring graphValue = graph.Value();
    ASSERT_FALSE(graphValue.empty());
    EXPECT_EQ(graphValue.back(), L'%');
    const int bar = std::stoi(graphValue);
    const MEMORYSTATUSEX after = MemoryNow();

    // Whole megabytes of 1,048,576 bytes.
    const double totalMb = std::round(Megabytes(before.ullTotalPhys));
    EXPECT_EQ(total, std::to_wstring(static_cast<long long>(totalMb)) + L" Mb");
    EXPECT_EQ(Text(kScaleTotal), total);

    // Rounding to a tenth, and a tick that came a little before the first reading.
    constexpr double kSlackMb = 8;
    const double freeLow = Megabytes(std::min(before.ullAvailPhys, after.ullAvailPhys)) - kSlackMb,
                 freeHigh = Megabytes(std::max(before.ullAvailPhys, after.ullAvailPhys)) + kSlackMb;
    const std::wstring decimal = Literally(LocaleText(LOCALE_SDECIMAL, L"."));
    const auto free = Figure(available, L"(\\d+)" + decimal + L"(\\d\\d) MB");
    ASSERT_TRUE(free) << ToUtf8(available);
    EXPECT_GE(*free, freeLow) << ToUtf8(available);
    EXPECT_LE(*free, freeHigh) << ToUtf8(available);

    const auto whole = Figure(freeWhole, L"(\\d+) Mb");
    ASSERT_TRUE(whole) << ToUtf8(freeWhole);
    EXPECT_NEAR(*whole, *free, 0.5);
    EXPECT_EQ(Figure(used, L"(\\d+) Mb"), totalMb - *whole) << ToUtf8(used);

    // The free share, whole percent, as a label and as the bar.
    const int shareLow = static_cast<int>(std::floor(100 * freeLow / totalMb)) - 1,
              shareHigh = static_cast<int>(std::floor(100 * freeHigh / totalMb)) + 1;
    const auto percent = Figure(share, L"\\((\\d+)%\\)");
    ASSERT_TRUE(percent) << ToUtf8(share);
    EXPECT_GE(*percent, shareLow) << ToUtf8(share);
    EXPECT_LE(*percent, shareHigh) << ToUtf8(share);
    EXPECT_GE(bar, shareLow);
    EXPECT_LE(bar, shareHigh);

    // The scale beside the bar: three quarters, half and a quarter of the total.
    const std::wstring scale = L"(\\d+)(?:(?:[.]|" + decimal + L")(\\d+))? Mb";
    for (const auto& [id, part] : {std::pair{kScaleThreeQuarters, 0.75}, std::pair{kScaleHalf, 0.5},
                                   std::pair{kScaleQuarter, 0.25}}) {
        const std::wstring text = Text(id);
        const auto value = Figure(text, scale);
        ASSERT_TRUE(value) << ToUtf8(text);
        EXPECT_NEAR(*value, totalMb * part, 0.5) << ToUtf8(text);
    }

    // Free page file space, whole megabytes with the user's digit grouping.
    std::wstring pageDigits = pageFile;
    const std::wstring thousand = LocaleText(LOCALE_STHOUSAND, L",");
    for (size_t at; !thousand.empty() && (at = pageDigits.find(thousand)) != std::wstring::npos;)
        pageDigits.erase(at, thousand.size());
    const auto page = Figure(pageDigits, L"(\\d+) Mb");
    ASSERT_TRUE(page) << ToUtf8(pageFile);
    EXPECT_GE(*page,
              Megabytes(std::min(before.ullAvailPageFile, after.ullAvailPageFile)) - kSlackMb)
        << ToUtf8(pageFile);
    EXPECT_LE(*page,
              Megabytes(std::max(before.ullAvailPageFile, after.ullAvailPageFile)) + kSlackMb)
        << ToUtf8(pageFile);
}

TEST_F(MainWindowTest, StatusBarShowsTheListsCountCpuAndMemoryLoad) {
    ASSERT_NO_FATAL_FAILURE(Open());
    PumpFor(2500); // two ticks of the status timer
    const std::wstring count = StatusPanel(hwnd(), 0), cpu = StatusPanel(hwnd(), 1),
                       ram = StatusPanel(hwnd(), 2), address = StatusPanel(hwnd(), 3);
    const unsigned load = MemoryNow().dwMemoryLoad;

    EXPECT_GT(panel().Rows().size(), 1u);
    EXPECT_EQ(count, CountText());

    const std::wstring decimal = Literally(LocaleText(LOCALE_SDECIMAL, L"."));
    const auto percent = Figure(cpu, L"CPU Usage (\\d+)" + decimal + L"(\\d\\d) %");
    ASSERT_TRUE(percent) << ToUtf8(cpu);
    EXPECT_GE(*percent, 0);
    EXPECT_LE(*percent, 100);

    // The memory load is a whole percent, shown with three decimals.
    const auto memory = Figure(ram, L"RAM Usage (\\d+)" + decimal + L"000 %");
    ASSERT_TRUE(memory) << ToUtf8(ram);
    EXPECT_NEAR(*memory, load, 1) << ToUtf8(ram);

    EXPECT_EQ(address, kProductWebAddress);
}

TEST_F(MainWindowTest, MemoryPanelShowsPhysicalMemoryAndTheNavigationSwitchesViews) {
    ASSERT_NO_FATAL_FAILURE(Open());

    // "Main Window": the memory figures in place of the process list.
    ASSERT_NO_FATAL_FAILURE(ExpectMemoryLabels([this] { Command(IDC_BTN_MAIN_WINDOW); }));
    EXPECT_EQ(window_->ViewTitle(), L"Memory Optimizer");
    EXPECT_FALSE(Visible(IDC_LSTPROCESSES));
    for (int id : kMemoryControls)
        EXPECT_TRUE(Visible(id)) << id;
    const HWND optimize = ::GetDlgItem(hwnd(), kOptimize);
    ASSERT_TRUE(optimize);
    EXPECT_EQ(WindowText(optimize), L"Optimize");
    EXPECT_FALSE(::IsWindowEnabled(optimize));

    // "Options": neither the list nor the figures.
    Command(IDC_BTN_MEMORY_OPTIONS);
    EXPECT_EQ(window_->ViewTitle(), L"Options");
    EXPECT_FALSE(Visible(IDC_LSTPROCESSES));
    for (int id : kMemoryControls)
        EXPECT_FALSE(Visible(id)) << id;

    {
        // Memory taken while the figures are out of sight shows the moment they are back...
        const Ballast ballast(512u << 20);
        ASSERT_NO_FATAL_FAILURE(ExpectMemoryLabels([this] { Command(IDC_BTN_MAIN_WINDOW); }));
    }
    // ...and while they stay in view, they follow the memory as it comes back.
    ASSERT_NO_FATAL_FAILURE(ExpectMemoryLabels([] {}));

    // "Process": the list again, built afresh.
    Command(IDC_BTN_PROCESS);
    EXPECT_EQ(window_->ViewTitle(), L"Process Manager");
    EXPECT_TRUE(Visible(IDC_LSTPROCESSES));
    for (int id : kMemoryControls)
        EXPECT_FALSE(Visible(id)) << id;
    EXPECT_TRUE(PumpUntil([this] { return !window_->Loading(); }, 30000));
}

TEST_F(MainWindowTest, AutomaticRefreshFollowsTheProcessesAndKeepsSortAndSelection) {
    test::PutText(machine_.get(), kOptionKey, kRefresh, L"1");
    test::PutText(machine_.get(), kOptionKey, kRefreshSeconds, L"2");
    ASSERT_NO_FATAL_FAILURE(Open());

    // This program's own row, under an order of the user's choosing.
    const DWORD self = ::GetCurrentProcessId();
    ASSERT_GE(RowOf(self), 0);
    SelectInList(list(), RowOf(self));
    panel().SortBy(ProcessColumn::Memory);
    panel().SortBy(ProcessColumn::Memory); // again: largest first
    const auto asTheUserLeftIt = [this, self] {
        ASSERT_TRUE(panel().Selected());
        EXPECT_EQ(panel().Selected()->processId, self) << "the selection jumped";
        EXPECT_EQ(SelectedItem(list()), panel().SelectedRow() - 1);
        EXPECT_EQ(panel().Sort().column, ProcessColumn::Memory);
        EXPECT_TRUE(panel().Sort().descending);
        const auto& rows = panel().Rows();
        EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
            return a.workingSetKb > b.workingSetKb;
        }));
    };
    ASSERT_NO_FATAL_FAILURE(asTheUserLeftIt());

    // A new process is listed within two ticks of two seconds.
    SleeperProcess helper = SleeperProcess::Start(test::SleeperSource());
    ASSERT_STARTED(helper);
    ASSERT_TRUE(PumpUntil([&] { return RowOf(helper.id()) >= 0; }, 5000))
        << "a new process is not listed after two ticks";
    ASSERT_NO_FATAL_FAILURE(asTheUserLeftIt());
    // The status bar counts the rows of the last refresh from its next tick on.
    EXPECT_TRUE(PumpUntil([this] { return StatusPanel(hwnd(), 0) == CountText(); }, 1500))
        << ToUtf8(StatusPanel(hwnd(), 0)) << " for " << panel().Rows().size() << " rows";

    // An ended one leaves with the next tick, also while the memory panel is in front, which
    // the refresh leaves there.
    const DWORD ended = helper.id();
    ASSERT_TRUE(helper.Kill());
    Command(IDC_BTN_MAIN_WINDOW);
    EXPECT_TRUE(PumpUntil([&] { return RowOf(ended) < 0; }, 4500))
        << "an ended process is still listed";
    EXPECT_EQ(window_->ViewTitle(), L"Memory Optimizer");
    EXPECT_FALSE(Visible(IDC_LSTPROCESSES));
    EXPECT_TRUE(Visible(kTotal));
    ASSERT_NO_FATAL_FAILURE(asTheUserLeftIt());
}

TEST_F(MainWindowTest, RebuildAskedForDuringAnAutomaticRefreshIsNotLost) {
    test::PutText(machine_.get(), kOptionKey, kRefresh, L"1");
    test::PutText(machine_.get(), kOptionKey, kRefreshSeconds, L"2");
    ASSERT_NO_FATAL_FAILURE(Open());
    ASSERT_GT(panel().Rows().size(), 1u);
    panel().SortBy(ProcessColumn::Memory);
    SelectInList(list(), static_cast<int>(panel().Rows().size()) - 1);

    // "Process" while an automatic refresh is under way: the list is built afresh once that
    // refresh is in, by name from row 1, rather than left as the refresh keeps it.
    ASSERT_TRUE(PumpUntil([this] { return window_->Loading(); }, 4500)) << "no automatic refresh";
    SleeperProcess helper = SleeperProcess::Start(test::SleeperSource());
    ASSERT_STARTED(helper);
    Command(IDC_BTN_PROCESS);
    ASSERT_TRUE(PumpUntil([this] { return !window_->Loading(); }, 30000));
    EXPECT_EQ(panel().Sort().column, ProcessColumn::Name);
    EXPECT_FALSE(panel().Sort().descending);
    EXPECT_EQ(panel().SelectedRow(), 1);
    EXPECT_GE(RowOf(helper.id()), 0) << "the list predates the request";
}

TEST_F(MainWindowTest, WithoutAutomaticRefreshTheListWaitsForTheUser) {
    // An interval, but the switch is not there.
    test::PutText(machine_.get(), kOptionKey, kRefreshSeconds, L"2");
    ASSERT_NO_FATAL_FAILURE(Open());

    SleeperProcess helper = SleeperProcess::Start(test::SleeperSource());
    ASSERT_STARTED(helper);
    bool reloaded = false;
    PumpUntil(
        [&] {
            reloaded = reloaded || window_->Loading();
            return false;
        },
        3000);
    EXPECT_FALSE(reloaded) << "the list was refreshed on its own";
    EXPECT_LT(RowOf(helper.id()), 0);

    Command(IDM_KK2_REFRESH);
    ASSERT_TRUE(PumpUntil([this] { return !window_->Loading(); }, 30000));
    EXPECT_GE(RowOf(helper.id()), 0) << "the refresh did not bring the new process";
}

// Milliseconds until `done` holds, polled every 10 ms; nullopt when it does not within `ms`.
std::optional<ULONGLONG> MsUntil(const std::function<bool()>& done, DWORD ms) {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        if (done())
            return ::GetTickCount64() - start;
        if (::GetTickCount64() - start > ms)
            return std::nullopt;
        ::Sleep(10);
    }
}

// The user's decimal separator set to `decimal` while alive, as Regional Settings would.
class DecimalSeparator {
public:
    explicit DecimalSeparator(const wchar_t* decimal) : before_(LocaleText(LOCALE_SDECIMAL, L".")) {
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal);
        RefreshNumberFormat();
    }
    ~DecimalSeparator() {
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, before_.c_str());
        RefreshNumberFormat();
    }

private:
    std::wstring before_;
};

TEST(MemoryLabelsTest, EveryFigureTakesTheUsersDecimalSeparator) {
    const DecimalSeparator comma(L",");
    ASSERT_EQ(LocaleText(LOCALE_SDECIMAL, L"."), L",");
    // 24,107 MB in all, 22,386.7 MB free: the scale's quarters have fractions.
    const uint64_t mb = 1048576;
    const MemoryLabels labels = ComputeMemoryLabels(24107 * mb, 22386 * mb + 7 * mb / 10 + 1);
    const struct {
        const std::wstring& text;
        const wchar_t* expected;
    } cases[] = {
        {labels.availableRam, L"22386,70 MB"},
        {labels.maxPhysicalRam, L"24107 Mb"},
        {labels.threeQuarters, L"18080,25 Mb"},
        {labels.halfTotal, L"12053 Mb"},
        {labels.quarter, L"6026,75 Mb"},
        {labels.freeMb, L"22387 Mb"},
        {labels.usedMb, L"1720 Mb"},
        {labels.freeShare, L"(92%)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, c.expected);
}

TEST(WatchedSettingsKeyTest, FollowsTheKeyAsItComesChangesAndGoes) {
    TestKey machine(L"machine"), user(L"user");
    const SettingsStore store(machine.get(), user.get());
    WatchedSettingsKey watched(store, kRamOptKey);
    const auto level = [&] { return watched.Number(kLowMemoryLevel); };
    // Each change must reach the reader well within one memory tick's worth of ticks; a busy
    // machine may delay the registry's report a little.
    constexpr ULONGLONG kReportMs = 500;
    const auto becomes = [&](double expected, const char* what) {
        const auto took = MsUntil([&] { return level() == expected; }, 5000);
        ASSERT_TRUE(took) << what << ": still " << level();
        EXPECT_LE(*took, kReportMs) << what;
    };

    EXPECT_EQ(level(), 0) << "no key at all";
    EXPECT_EQ(level(), 0);

    // The key appears, then changes: text with a unit after the number, and a DWORD.
    test::PutText(machine.get(), kRamOptKey, kLowMemoryLevel, L"250");
    becomes(250, "a key created later");
    test::PutText(machine.get(), kRamOptKey, kLowMemoryLevel, L"300 Mb");
    becomes(300, "a changed text value");
    test::PutDword(machine.get(), kRamOptKey, kLowMemoryLevel, 400);
    becomes(400, "a DWORD value");

    // The user's value comes first, once the user's key is there...
    test::PutText(user.get(), kRamOptKey, kLowMemoryLevel, L"120");
    becomes(120, "the user's value");
    test::PutText(user.get(), kRamOptKey, kLowMemoryLevel, L"130");
    becomes(130, "the user's changed value");
    // ...and without a value there, the machine's counts again.
    ASSERT_EQ(DeleteValueStatus(user.get(), kRamOptKey, kLowMemoryLevel), 0);
    becomes(400, "the machine's value after the user's went");

    // The key replaced by a new one.
    ASSERT_EQ(::RegDeleteKeyW(machine.get(), kRamOptKey), ERROR_SUCCESS);
    test::PutText(machine.get(), kRamOptKey, kLowMemoryLevel, L"500");
    becomes(500, "a key made anew");

    // Both keys go: nothing is left over from them.
    ASSERT_EQ(::RegDeleteKeyW(user.get(), kRamOptKey), ERROR_SUCCESS);
    ASSERT_EQ(::RegDeleteKeyW(machine.get(), kRamOptKey), ERROR_SUCCESS);
    becomes(0, "both keys removed");

    // A key made again is found like the first one, and other values of it are read too.
    test::PutText(machine.get(), kRamOptKey, kLowMemoryLevel, L"77");
    becomes(77, "a key made again");
    test::PutText(machine.get(), kRamOptKey, kLowMemoryOn, L"1");
    const auto on = MsUntil([&] { return watched.Number(kLowMemoryOn) == 1; }, 5000);
    EXPECT_TRUE(on) << "a second value of the key";
}

} // namespace
} // namespace tessaly
