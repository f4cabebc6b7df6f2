// pelmora's window driven in the test process: fed readings, the icon's clicks, the menu and
// its shutdown commands (through the seam, never the real call).
#include "monitor/resource.h"
#include "monitor/status_window.h"
#include "probes/exit_windows.h"
#include "support/wine_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace tessaly {
namespace {

struct Fed {
    int32_t cpu = 20;
    TickReading tick;
    int cpuQueries = 0;
    int tickReads = 0;
};

class FedProbes final : public MonitorProbes {
public:
    explicit FedProbes(std::shared_ptr<Fed> fed) : fed_(std::move(fed)) {}
    void StartCpu() override {}
    int32_t Cpu() override {
        ++fed_->cpuQueries;
        return fed_->cpu;
    }
    TickReading Tick() override {
        ++fed_->tickReads;
        return fed_->tick;
    }
    TotalsReading Totals() override {
        TotalsReading totals;
        totals.memory = fed_->tick.memory;
        totals.disk = fed_->tick.disk;
        totals.processorName = L"Fed CPU";
        totals.videoName = L"Fed Adapter";
        totals.videoMemory = L"256.0 MB";
        return totals;
    }
    DisplayMode Display() override { return {true, 1280, 800, 32}; }

private:
    std::shared_ptr<Fed> fed_;
};

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

class StatusWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
        fed_->tick.memory = {true,      50,       8 * kGiB,   4 * kGiB,
                             12 * kGiB, 6 * kGiB, 128 * kGiB, 64 * kGiB};
        fed_->tick.disk = {true, 100 * kGiB, 40 * kGiB};
        fed_->tick.cpuSpeed = L"2.39 GHz";
        fed_->tick.power1 = fed_->tick.power2 = {true, 1, 128, 255, 0xFFFFFFFF};
        window_ = std::make_unique<StatusWindow>(std::make_unique<FedProbes>(fed_));
        window_->EndsProgram = false;
        window_->PopUpMenu = [this](HMENU menu, POINT) {
            popped_.push_back(menu);
            if (pick_)
                ::SendMessageW(window_->hwnd(), WM_COMMAND, pick_(menu), 0);
        };
        ASSERT_TRUE(window_->Start());
    }
    void TearDown() override {
        if (window_ && window_->hwnd())
            ::DestroyWindow(window_->hwnd());
        window_.reset();
    }

    HWND Hwnd() const { return window_->hwnd(); }
    void Click(UINT mouseMessage) {
        ::SendMessageW(window_->Tray().hwnd(), TrayArea::kCallbackMessage, window_->Tray().IconId(),
                       mouseMessage);
    }
    void Tick() { ::SendMessageW(Hwnd(), WM_TIMER, StatusWindow::kTimer1, 0); }
    HWND Value(Row row) const {
        return ::GetDlgItem(Hwnd(), IDC_VALUE_FIRST + static_cast<int>(row));
    }
    HWND Bar(Row row) const { return ::GetDlgItem(Hwnd(), IDC_BAR_FIRST + static_cast<int>(row)); }
    // The background the window gives a value label when it paints.
    COLORREF Background(Row row) const {
        const HDC dc = ::CreateCompatibleDC(nullptr);
        ::SendMessageW(Hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(Value(row)));
        const COLORREF colour = ::GetBkColor(dc);
        ::DeleteDC(dc);
        return colour;
    }

    std::shared_ptr<Fed> fed_ = std::make_shared<Fed>();
    std::unique_ptr<StatusWindow> window_;
    std::vector<HMENU> popped_;
    std::function<WPARAM(HMENU)> pick_;
};

TEST_F(StatusWindowTest, EveryRowIsAChildWindowWithItsText) {
    EXPECT_EQ(WindowText(Hwnd()), L"Orvix System Information ");
    EXPECT_FALSE(::IsWindowVisible(Hwnd()));
    for (int i = 0; i < kRowCount; ++i) {
        const Row row = static_cast<Row>(i);
        EXPECT_EQ(WindowText(::GetDlgItem(Hwnd(), IDC_CAPTION_FIRST + i)), SpecOf(row).caption);
        EXPECT_EQ(::GetDlgItem(Hwnd(), IDC_BAR_FIRST + i) != nullptr, SpecOf(row).bar) << i;
    }
    EXPECT_EQ(WindowText(Value(Row::Cpu)), L"100 %");
    EXPECT_EQ(WindowText(Value(Row::TotalRam)), L"8.000 GB");
    EXPECT_EQ(WindowText(Value(Row::CpuName)), L"Fed CPU");
    EXPECT_EQ(WindowText(Value(Row::Resolution)), L"1280x800");
    EXPECT_EQ(WindowText(Value(Row::ColorDepth)), L"32-bit");
    EXPECT_EQ(
        WindowText(::GetDlgItem(Hwnd(), IDC_LABEL19)).rfind(L"Orvix System Information From ", 0),
        0u);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(Hwnd(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 195);
}

TEST_F(StatusWindowTest, AlertColoursFollowFedReadings) {
    Click(WM_LBUTTONDOWN);
    ASSERT_TRUE(::IsWindowVisible(Hwnd()));
    const COLORREF red = RGB(255, 0, 0), black = RGB(0, 0, 0);
    const struct {
        const char* name;
        void (*feed)(Fed&);
        Row row;
        const wchar_t* text;
        COLORREF colour;
        int bar;
    } steps[] = {
        {"CPU 94", [](Fed& f) { f.cpu = 94; }, Row::Cpu, L"94.000 %", black, 94},
        {"CPU 95", [](Fed& f) { f.cpu = 95; }, Row::Cpu, L"95.000 %", red, 95},
        {"CPU 94 again", [](Fed& f) { f.cpu = 94; }, Row::Cpu, L"94.000 %", black, 94},
        {"CPU sampler fails", [](Fed& f) { f.cpu = -1; }, Row::Cpu, L"94.000 %", black, 94},
        {"physical 9.4 %",
         [](Fed& f) { f.tick.memory.availablePhysical = f.tick.memory.totalPhysical / 1000 * 94; },
         Row::Ram, L"9.000 %", red, 9},
        {"disk 5 %", [](Fed& f) { f.tick.disk.free = f.tick.disk.total / 20; }, Row::Disk,
         L"5.000 %", red, 5},
        {"disk probe fails", [](Fed& f) { f.tick.disk = {}; }, Row::Disk, L"5.000 %", red, 5},
        {"battery 7 %",
         [](Fed& f) {
             f.tick.power1 = f.tick.power2 = {true, 0, 2, 7, 600};
         },
         Row::PowerLevel, L"7.000 %", red, 7},
        {"battery 11 %",
         [](Fed& f) {
             f.tick.power1 = f.tick.power2 = {true, 0, 1, 11, 600};
         },
         Row::PowerLevel, L"11.000 %", black, 11},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.feed(*fed_);
        Tick();
        EXPECT_EQ(WindowText(Value(step.row)), step.text);
        EXPECT_EQ(Background(step.row), step.colour);
        EXPECT_EQ(::SendMessageW(Bar(step.row), PBM_GETPOS, 0, 0), step.bar);
    }
    EXPECT_EQ(WindowText(Value(Row::PowerLife)), L"10 minutes");
    EXPECT_EQ(WindowText(Value(Row::PowerSource)), L"Battery");
}

TEST_F(StatusWindowTest, HiddenTicksOnlySampleAndShowingReadsAtOnce) {
    for (int i = 0; i < 4; ++i)
        Tick();
    EXPECT_EQ(fed_->cpuQueries, 4) << "the sampler keeps its 250 ms pace while hidden";
    EXPECT_EQ(fed_->tickReads, 0) << "no rows are read for a hidden window";
    fed_->cpu = 42;
    Click(WM_LBUTTONDOWN);
    EXPECT_TRUE(::IsWindowVisible(Hwnd()));
    EXPECT_EQ(fed_->tickReads, 1);
    EXPECT_EQ(WindowText(Value(Row::Cpu)), L"42.000 %") << "current figures the moment it shows";
    Tick();
    EXPECT_EQ(fed_->tickReads, 2);
}

TEST_F(StatusWindowTest, IconClicksToggleAndTheMenuHidesTheWindow) {
    Click(WM_LBUTTONDOWN);
    EXPECT_TRUE(::IsWindowVisible(Hwnd()));
    Click(WM_LBUTTONDOWN);
    EXPECT_FALSE(::IsWindowVisible(Hwnd()));
    Click(WM_LBUTTONDOWN);
    EXPECT_TRUE(::IsWindowVisible(Hwnd()));
    Click(WM_RBUTTONDOWN);
    EXPECT_FALSE(::IsWindowVisible(Hwnd()));
    ASSERT_EQ(popped_.size(), 1u);
    EXPECT_EQ(popped_[0], window_->IconMenu());
    Click(WM_LBUTTONDOWN);
    ::ShowWindow(Hwnd(), SW_MINIMIZE);
    EXPECT_FALSE(::IsWindowVisible(Hwnd())) << "minimising hides";
    EXPECT_TRUE(window_->Tray().Visible());
}

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[64] = {};
    ::GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
    return ::GetMenuState(menu, position, MF_BYPOSITION) & MF_SEPARATOR ? L"-" : text;
}

TEST_F(StatusWindowTest, MenuItemsInOrderAndShutdownCommandsThroughTheSeam) {
    const HMENU menu = window_->IconMenu();
    const std::vector<std::wstring> top = {L"Show",     L"-", L"Run New Task", L"-",
                                           L"ShutDown", L"-", L"Exit"};
    ASSERT_EQ(::GetMenuItemCount(menu), static_cast<int>(top.size()));
    for (size_t i = 0; i < top.size(); ++i)
        EXPECT_EQ(MenuText(menu, static_cast<int>(i)), top[i]);
    const HMENU shutdown = ::GetSubMenu(menu, 4);
    ASSERT_NE(shutdown, nullptr);
    EXPECT_EQ(MenuText(shutdown, 0), L"Log Off User");
    EXPECT_EQ(MenuText(shutdown, 1), L"Restart Windows");
    EXPECT_EQ(MenuText(shutdown, 2), L"ShutDown Windows");

    std::vector<UINT> flags;
    const ScopedExitWindowsEx seam([&](UINT f, DWORD) {
        flags.push_back(f);
        return FALSE;
    });
    // Each item chosen from the menu the icon pops up.
    for (int item : {0, 1, 2}) {
        pick_ = [item](HMENU m) {
            return static_cast<WPARAM>(::GetMenuItemID(::GetSubMenu(m, 4), item));
        };
        Click(WM_RBUTTONDOWN);
    }
    const std::vector<UINT> expected = {EWX_LOGOFF | EWX_FORCEIFHUNG, EWX_REBOOT | EWX_FORCEIFHUNG,
                                        EWX_SHUTDOWN | EWX_FORCEIFHUNG};
    EXPECT_EQ(flags, expected);
    EXPECT_TRUE(::IsWindow(Hwnd())) << "a refused shutdown leaves pelmora running";
}

TEST_F(StatusWindowTest, ExitRemovesTheIconThenTheWindow) {
    ::SendMessageW(Hwnd(), WM_COMMAND, IDM_H_EXIT, 0);
    EXPECT_FALSE(window_->Tray().Visible());
    EXPECT_EQ(window_->hwnd(), nullptr);
}

} // namespace
} // namespace tessaly
