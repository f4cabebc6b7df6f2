// The drawn button, link and progress bar on real windows: what mouse, keys and accessibility
// clients do to them, what they look like, and that painting and DPI changes leak nothing.
// Run at the DPI the prefix is set to (the test list runs it at 96, 144 and 192).
#include "controls/chameleon_button.h"
#include "controls/free_link.h"
#include "controls/paint_tools.h"
#include "controls/xp_progress_bar.h"

#include "support/accessible_reader.h"
#include "support/gdi_objects.h"
#include "support/wine_test_support.h"
#include "win32/platform.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace tessaly {
namespace {

std::vector<std::pair<int, int>> commands; // WM_COMMAND (ID, code) the host received

LRESULT CALLBACK RecordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    if (message == WM_COMMAND)
        commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// The window's client area as it paints itself (WM_PRINTCLIENT), one 0x00RRGGBB per pixel.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF;
    }
    bool operator==(const Picture&) const = default;
};

Picture Capture(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    Picture picture{client.right, client.bottom};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB};
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    UniqueMemoryDc dc(::CreateCompatibleDC(screen));
    ::ReleaseDC(nullptr, screen);
    UniqueBitmap bitmap(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HGDIOBJ old = ::SelectObject(dc.get(), bitmap.get());
    ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    ::GdiFlush();
    const auto* start = static_cast<const uint32_t*>(bits);
    picture.pixels.assign(start, start + static_cast<size_t>(client.right) * client.bottom);
    ::SelectObject(dc.get(), old);
    return picture;
}

bool Contains(const Picture& picture, uint32_t rgb) {
    for (uint32_t p : picture.pixels)
        if ((p & 0xFFFFFF) == rgb)
            return true;
    return false;
}

// Moves the real pointer (through the system's input queue) to `at` on the screen, and
// presses and lets go of the left button there when `click`.
void PointerTo(POINT at, bool click = false) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input[3] = {};
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = at.x * 65535 / (width - 1);
        i.mi.dy = at.y * 65535 / (height - 1);
        i.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    input[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    ::SendInput(click ? 3 : 1, input, sizeof(INPUT));
}

POINT ScreenPoint(HWND window, int x, int y) {
    POINT at{x, y};
    ::ClientToScreen(window, &at);
    return at;
}

class OwnerDrawnTest : public ::testing::Test {
protected:
    void SetUp() override {
        commands.clear();
        host_ = test::MakePlainWindow(L"controls", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20,
                                      800, 600);
        ASSERT_TRUE(host_);
        ::SetWindowSubclass(host_, RecordCommands, 1, 0);
        ::ShowWindow(host_, SW_SHOWNORMAL);
        font_.reset(MakeFont(nullptr, {}, WindowDpi(host_)).release());
        ::SendMessageW(host_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    void TearDown() override { ::DestroyWindow(host_); }
    int S(int v) const { return Scale(host_, v); }

    void Mouse(HWND window, UINT message, int x, int y, WPARAM keys = 0) const {
        ::SendMessageW(window, message, keys, MAKELPARAM(x, y));
    }
    void Key(HWND window, WPARAM key) const {
        ::SendMessageW(window, WM_KEYDOWN, key, 1);
        ::SendMessageW(window, WM_KEYUP, key, 0xC0000001);
    }

    HWND host_ = nullptr;
    UniqueFont font_;
};

TEST_F(OwnerDrawnTest, RunsAtTheDpiOfThePrefix) {
    const char* expected = std::getenv("TESSALY_TEST_DPI");
    if (!expected)
        GTEST_SKIP() << "no DPI given";
    EXPECT_EQ(WindowDpi(host_), static_cast<UINT>(std::atoi(expected)));
}

// --- The button ---

class ButtonTest : public OwnerDrawnTest {
protected:
    void SetUp() override {
        OwnerDrawnTest::SetUp();
        ASSERT_TRUE(button_.Create(host_, 61, {{L"TX", std::wstring(L"Kill & Process")}},
                                   L"chameleonButton6"));
        ::MoveWindow(button_.hwnd(), S(10), S(10), S(140), S(32), TRUE);
        ASSERT_TRUE(other_.Create(host_, 62, {}, L"chameleonButton7"));
        ::MoveWindow(other_.hwnd(), S(10), S(50), S(140), S(32), TRUE);
        const auto record = [this](const char* name) {
            return [=, this] { events_.push_back(name); };
        };
        button_.Click = record("Click");
        button_.MouseOver = record("MouseOver");
        button_.MouseOut = record("MouseOut");
        button_.MouseDown = [this](short b, short, float, float) {
            events_.push_back("MouseDown" + std::to_string(b));
        };
        button_.MouseUp = [this](short b, short, float, float) {
            events_.push_back("MouseUp" + std::to_string(b));
        };
        button_.KeyDown = [this](short&, short) { events_.push_back("KeyDown"); };
        button_.KeyUp = [this](short&, short) { events_.push_back("KeyUp"); };
        test::PumpFor(50);
    }
    int Mid() const { return S(20); }
    using Events = std::vector<std::string>;
    ChameleonButton button_, other_;
    Events events_;
};

TEST_F(ButtonTest, MouseClicksAsAButtonDoes) {
    const HWND b = button_.hwnd();
    struct Case {
        const char* what;
        std::vector<std::tuple<UINT, int, int>> messages;
        Events events;
        int commands;
    };
    const int in = Mid(), out = S(400);
    const Case cases[] = {
        {"click",
         {{WM_MOUSEMOVE, in, in}, {WM_LBUTTONDOWN, in, in}, {WM_LBUTTONUP, in, in}},
         {"MouseOver", "MouseDown1", "MouseUp1", "Click"},
         1},
        {"let go of outside",
         {{WM_LBUTTONDOWN, in, in}, {WM_MOUSEMOVE, out, in}, {WM_LBUTTONUP, out, in}},
         {"MouseDown1", "MouseUp1"},
         0},
        {"right button",
         {{WM_RBUTTONDOWN, in, in}, {WM_RBUTTONUP, in, in}},
         {"MouseOver", "MouseDown2", "MouseUp2"},
         0},
        {"double-click is two clicks",
         {{WM_LBUTTONDOWN, in, in},
          {WM_LBUTTONUP, in, in},
          {WM_LBUTTONDBLCLK, in, in},
          {WM_LBUTTONUP, in, in}},
         {"MouseDown1", "MouseUp1", "Click", "MouseDown1", "MouseUp1", "Click"},
         2},
    };
    for (const Case& c : cases) {
        events_.clear();
        commands.clear();
        ::SendMessageW(b, WM_MOUSELEAVE, 0, 0);
        events_.clear();
        for (auto [message, x, y] : c.messages) {
            const WPARAM keys = message == WM_MOUSEMOVE && ::GetCapture() == b ? MK_LBUTTON : 0;
            Mouse(b, message, x, y, keys);
        }
        // "right button" starts outside hover; a move there is the first to come over it.
        if (std::string(c.what) == "right button") {
            events_.clear();
            Mouse(b, WM_MOUSEMOVE, in, in);
            Mouse(b, WM_RBUTTONDOWN, in, in);
            Mouse(b, WM_RBUTTONUP, in, in);
        }
        EXPECT_EQ(events_, c.events) << c.what;
        EXPECT_EQ(static_cast<int>(commands.size()), c.commands) << c.what;
        EXPECT_EQ(::GetCapture(), nullptr) << c.what;
    }
    // A click gives the focus.
    EXPECT_EQ(::GetFocus(), b);
    EXPECT_EQ(commands.back(), (std::pair<int, int>{61, BN_CLICKED}));
}

TEST_F(ButtonTest, KeysPressAndMoveTheFocusAndADisabledButtonIgnoresAll) {
    const HWND b = button_.hwnd();
    ::SetFocus(b);
    Key(b, VK_SPACE);
    Key(b, VK_RETURN);
    EXPECT_EQ(events_, (Events{"KeyDown", "KeyUp", "Click", "KeyDown", "Click", "KeyUp"}));
    // Down goes to the next control even with Shift held; Up comes back.
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    ::SendMessageW(b, WM_KEYDOWN, VK_DOWN, 1);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(::GetFocus(), other_.hwnd());
    ::SendMessageW(other_.hwnd(), WM_KEYDOWN, VK_UP, 1);
    EXPECT_EQ(::GetFocus(), b);

    // Disabled: no event from mouse, keys or an accessibility client, and no focus.
    ::SetFocus(other_.hwnd());
    button_.SetEnabled(false);
    events_.clear();
    commands.clear();
    Mouse(b, WM_MOUSEMOVE, Mid(), Mid());
    Mouse(b, WM_LBUTTONDOWN, Mid(), Mid());
    Mouse(b, WM_LBUTTONUP, Mid(), Mid());
    Key(b, VK_SPACE);
    Key(b, VK_RETURN);
    test::AccessibleReader reader(b);
    ASSERT_TRUE(reader.object);
    EXPECT_NE(reader.object->accDoDefaultAction(test::AccessibleReader::Self()), S_OK);
    EXPECT_TRUE(events_.empty());
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(::GetFocus(), other_.hwnd());
    EXPECT_TRUE(reader.State() & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_NE(::GetNextDlgTabItem(host_, other_.hwnd(), FALSE), b);
}

TEST_F(ButtonTest, OverAndOutOnceEachAndCheckBehaviour) {
    const HWND b = button_.hwnd();
    for (int i = 0; i < 3; ++i)
        Mouse(b, WM_MOUSEMOVE, Mid() + i, Mid());
    ::SendMessageW(b, WM_MOUSELEAVE, 0, 0);
    ::SendMessageW(b, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(events_, (Events{"MouseOver", "MouseOut"}));

    std::vector<std::wstring> keys;
    button_.PropertyChanged = [&](const wchar_t* key) { keys.push_back(key); };
    button_.SetCheckBoxBehaviour(true);
    button_.SetPictureOver(L"");
    button_.SetButtonType(9);
    EXPECT_EQ(keys, (std::vector<std::wstring>{L"CHECK", L"PICO", L"BTYPE"}));
    EXPECT_STREQ(button_.Version(), L"2.0.6");
    Mouse(b, WM_LBUTTONDOWN, Mid(), Mid());
    Mouse(b, WM_LBUTTONUP, Mid(), Mid());
    EXPECT_TRUE(button_.Properties().Value);
    EXPECT_EQ(button_.Look(), ButtonLook::Checked);
    test::AccessibleReader reader(b);
    ASSERT_TRUE(reader.object);
    EXPECT_EQ(reader.Role(), ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_TRUE(reader.State() & STATE_SYSTEM_CHECKED);
    EXPECT_EQ(reader.Name(), L"Kill & Process");
    EXPECT_EQ(reader.object->accDoDefaultAction(test::AccessibleReader::Self()), S_OK);
    EXPECT_FALSE(button_.Properties().Value);
}

TEST_F(ButtonTest, EveryStyleLooksItsOwnAndEachLookDiffers) {
    std::vector<Picture> atRest;
    for (int scheme : {1, 2}) {
        button_.SetColorScheme(scheme);
        button_.SetBackColor(0x553A2B);
        for (int type = 1; type <= kButtonStyleCount; ++type) {
            button_.SetEnabled(true);
            button_.SetButtonType(type);
            ::SendMessageW(button_.hwnd(), WM_MOUSELEAVE, 0, 0);
            const Picture normal = Capture(button_.hwnd());
            if (scheme == 1)
                atRest.push_back(normal);
            Mouse(button_.hwnd(), WM_MOUSEMOVE, Mid(), Mid());
            const Picture hover = Capture(button_.hwnd());
            Mouse(button_.hwnd(), WM_LBUTTONDOWN, Mid(), Mid());
            const Picture pressed = Capture(button_.hwnd());
            Mouse(button_.hwnd(), WM_LBUTTONUP, S(400), Mid());
            button_.SetEnabled(false);
            const Picture disabled = Capture(button_.hwnd());
            const Picture* looks[] = {&normal, &hover, &pressed, &disabled};
            for (int i = 0; i < 4; ++i)
                for (int j = i + 1; j < 4; ++j)
                    EXPECT_FALSE(*looks[i] == *looks[j])
                        << "style " << type << " scheme " << scheme << " looks " << i << "/" << j;
        }
    }
    for (size_t i = 0; i < atRest.size(); ++i)
        for (size_t j = i + 1; j < atRest.size(); ++j)
            EXPECT_FALSE(atRest[i] == atRest[j]) << "styles " << i + 1 << " and " << j + 1;
    // Stable: the same style draws the same picture again.
    button_.SetEnabled(true);
    button_.SetButtonType(3);
    EXPECT_EQ(Capture(button_.hwnd()), Capture(button_.hwnd()));
}

TEST_F(ButtonTest, TheRealPointerHoversLeavesAndClicks) {
    ::SetForegroundWindow(host_);
    const auto has = [this](const char* event) {
        return std::find(events_.begin(), events_.end(), event) != events_.end();
    };
    PointerTo(ScreenPoint(button_.hwnd(), Mid(), Mid()));
    EXPECT_TRUE(test::PumpUntil([&] { return has("MouseOver"); }, 2000));
    EXPECT_EQ(button_.Look(), ButtonLook::Hover);
    // Off the button, onto the host's background: the look comes back, told by the system.
    PointerTo(ScreenPoint(host_, S(600), S(400)));
    EXPECT_TRUE(test::PumpUntil([&] { return has("MouseOut"); }, 2000));
    EXPECT_EQ(button_.Look(), ButtonLook::Normal);
    events_.clear();
    PointerTo(ScreenPoint(button_.hwnd(), Mid(), Mid()), true);
    EXPECT_TRUE(test::PumpUntil([&] { return has("Click"); }, 2000));
    EXPECT_EQ(commands.size(), 1u);
}

// --- The link ---

class LinkTest : public OwnerDrawnTest {
protected:
    void SetUp() override {
        OwnerDrawnTest::SetUp();
        ASSERT_TRUE(link_.Create(host_, 71,
                                 {{L"Caption", std::wstring(L"Terminate a&b.exe Process")},
                                  {L"UseMnemonic", false},
                                  {L"BackColor", int32_t(SystemColour(COLOR_WINDOW))},
                                  {L"HyperLink", std::wstring(L"http://127.0.0.1:9/x")}},
                                 L"FreeLink2"));
        ::MoveWindow(link_.hwnd(), S(10), S(100), S(400), S(20), TRUE);
        link_.Click = [this] { events_.push_back("Click"); };
        link_.Shell = [this](HWND owner, const ShellOpen& request) {
            events_.push_back("Open");
            opened_.push_back(request);
            EXPECT_EQ(owner, link_.hwnd());
        };
        test::PumpFor(50);
    }
    FreeLink link_;
    std::vector<std::string> events_;
    std::vector<ShellOpen> opened_;
};

TEST_F(LinkTest, HoverTurnsItRedOnTheTextOnly) {
    const HWND l = link_.hwnd();
    const RECT text = link_.LinkBox();
    ASSERT_FALSE(::IsRectEmpty(&text));
    EXPECT_FALSE(Contains(Capture(l), 0xFF0000));
    Mouse(l, WM_MOUSEMOVE, text.left + 2, text.top + 2);
    EXPECT_TRUE(link_.Hot());
    EXPECT_TRUE(Contains(Capture(l), 0xFF0000));
    // Past the end of the text, still in the window: not on the link.
    Mouse(l, WM_MOUSEMOVE, text.right + S(20), text.top + 2);
    EXPECT_FALSE(link_.Hot());
    Mouse(l, WM_MOUSEMOVE, text.left + 2, text.top + 2);
    ::SendMessageW(l, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(link_.Hot());
    EXPECT_FALSE(Contains(Capture(l), 0xFF0000));
}

TEST_F(LinkTest, ClickAndEnterOpenTheTargetAfterClick) {
    const HWND l = link_.hwnd();
    const RECT text = link_.LinkBox();
    Mouse(l, WM_LBUTTONDOWN, text.left + 2, text.top + 2);
    Mouse(l, WM_LBUTTONUP, text.left + 2, text.top + 2);
    EXPECT_EQ(::GetFocus(), l);
    Key(l, VK_RETURN);
    // Pressed on the text and let go of beside it: nothing.
    Mouse(l, WM_LBUTTONDOWN, text.left + 2, text.top + 2);
    Mouse(l, WM_LBUTTONUP, text.right + S(30), text.top + 2);
    EXPECT_EQ(events_, (std::vector<std::string>{"Click", "Open", "Click", "Open"}));
    ASSERT_EQ(opened_.size(), 2u);
    EXPECT_EQ(opened_[0], (ShellOpen{L"Open", L"http://127.0.0.1:9/x", L"", ProgramFolder(), 1}));

    // No target: Click only.
    events_.clear();
    link_.SetHyperLink(L"");
    Key(l, VK_RETURN);
    EXPECT_EQ(events_, (std::vector<std::string>{"Click"}));

    // A Click handler that closes the link's window: nothing opened, nothing crashes.
    link_.SetHyperLink(L"http://127.0.0.1:9/x");
    link_.Click = [&] { ::DestroyWindow(l); };
    events_.clear();
    Key(l, VK_RETURN);
    EXPECT_TRUE(events_.empty());
    EXPECT_FALSE(::IsWindow(l));
}

TEST_F(LinkTest, DataCaptionsAndAutoSizeAndAccessibility) {
    const HWND l = link_.hwnd();
    test::AccessibleReader reader(l);
    ASSERT_TRUE(reader.object);
    EXPECT_EQ(reader.Name(), L"Terminate a&b.exe Process"); // the "&" is data, not a mnemonic
    EXPECT_EQ(reader.Role(), ROLE_SYSTEM_LINK);
    EXPECT_EQ(reader.Value(), L"http://127.0.0.1:9/x");
    EXPECT_TRUE(reader.State() & STATE_SYSTEM_FOCUSABLE);
    EXPECT_TRUE(::GetWindowLongW(l, GWL_STYLE) & WS_TABSTOP);

    link_.SetAutoSize(true);
    RECT before{}, after{};
    ::GetWindowRect(l, &before);
    link_.SetCaption(L"Terminate a much longer name of a program.exe Process");
    ::GetWindowRect(l, &after);
    EXPECT_GT(after.right - after.left, before.right - before.left);

    link_.SetEnabled(false);
    EXPECT_TRUE(reader.State() & STATE_SYSTEM_UNAVAILABLE);
    events_.clear();
    EXPECT_NE(reader.object->accDoDefaultAction(test::AccessibleReader::Self()), S_OK);
    EXPECT_TRUE(events_.empty());
}

TEST_F(LinkTest, ALineDrawnAsItStandsLooksAsTheLaidOutOne) {
    // A plain line that fits is put down in one call; a caption with mnemonics goes through
    // the full text layout. "a&b" shown both ways must be the same picture.
    for (int16_t alignment : {0, 1, 2})
        for (int16_t border : {0, 1}) {
            link_.SetAlignment(alignment);
            link_.SetBorderStyle(border);
            link_.SetUseMnemonic(false);
            link_.SetCaption(L"Terminate a&b.exe Process");
            const Picture direct = Capture(link_.hwnd());
            link_.SetUseMnemonic(true);
            link_.SetCaption(L"Terminate a&&b.exe Process");
            EXPECT_EQ(Capture(link_.hwnd()), direct)
                << "alignment " << alignment << ", border " << border;
        }
}

TEST_F(LinkTest, TheRealPointerTurnsItRedAndBack) {
    ::SetForegroundWindow(host_);
    const RECT text = link_.LinkBox();
    PointerTo(ScreenPoint(link_.hwnd(), text.left + 3, (text.top + text.bottom) / 2));
    EXPECT_TRUE(test::PumpUntil([&] { return link_.Hot(); }, 2000));
    PointerTo(ScreenPoint(host_, S(600), S(400)));
    EXPECT_TRUE(test::PumpUntil([&] { return !link_.Hot(); }, 2000));
    PointerTo(ScreenPoint(link_.hwnd(), text.left + 3, (text.top + text.bottom) / 2), true);
    EXPECT_TRUE(test::PumpUntil([&] { return opened_.size() == 1; }, 2000));
}

// --- The progress bar ---

class BarTest : public OwnerDrawnTest {
protected:
    void SetUp() override {
        OwnerDrawnTest::SetUp();
        ASSERT_TRUE(bar_.Create(host_, 81, {}));
        ::MoveWindow(bar_.hwnd(), S(10), S(150), S(300), S(22), TRUE);
        bar_.ShowRefusal = [this](HWND, const wchar_t* text) {
            boxes_.push_back(text);
            // A timer tick while the box is up sets a bad value again: no second box.
            bar_.SetValue(5000);
        };
        test::PumpFor(50);
    }
    XpProgressBar bar_;
    std::vector<std::wstring> boxes_;
};

TEST_F(BarTest, RefusalsKeepTheOldValueOneBoxAtATime) {
    bar_.SetValue(40);
    struct Case {
        bool accepted;
        const wchar_t* box;
    };
    const Case cases[] = {
        {bar_.SetValue(101), L"Value can NOT be higher than Maximum !"},
        {bar_.SetMin(-1), L"Minimum can NOT be smaller then 0 !"},
        {bar_.SetMin(150), L"Minimum can NOT be biger than maximum !"},
        {bar_.SetMax(-3), L"Maximum can NOT be smaller than minimum !"},
    };
    ASSERT_EQ(boxes_.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_FALSE(cases[i].accepted);
        EXPECT_EQ(boxes_[i], cases[i].box);
    }
    EXPECT_EQ(bar_.Properties().Value, 40);
    EXPECT_EQ(bar_.Properties().Min, 0);
    EXPECT_EQ(bar_.Properties().Max, 100);
    bar_.SetProgressLook(9);
    EXPECT_STREQ(bar_.Skin().name, L"master");
    bar_.SetProgressLook(7);
    EXPECT_STREQ(bar_.Skin().name, L"redmet");
}

TEST_F(BarTest, FillEdgeAndAccessibleValue) {
    bar_.SetValue(37);
    for (int look = 0; look < kProgressSkinCount; ++look) {
        bar_.SetProgressLook(look);
        const Picture p = Capture(bar_.hwnd());
        const int frame = std::max(1, static_cast<int>(WindowDpi(host_)) / 96);
        const int y = p.height / 2;
        const uint32_t track = p.At(p.width - frame - 1, y);
        int edge = frame;
        while (edge < p.width && p.At(edge, y) != track)
            ++edge;
        const int expected = frame + (p.width - 2 * frame) * 37 / 100;
        EXPECT_NEAR(edge, expected, 1) << "look " << look;
    }
    // Plain and incremental painting end in the same picture.
    bar_.SetStyle(1);
    for (int v : {10, 55, 20, 100, 0, 37})
        bar_.SetValue(v);
    const Picture incremental = Capture(bar_.hwnd());
    bar_.SetStyle(0);
    EXPECT_EQ(Capture(bar_.hwnd()), incremental);

    bar_.SetAccessibleName(L"Physical memory Usage Graph");
    test::AccessibleReader reader(bar_.hwnd());
    ASSERT_TRUE(reader.object);
    EXPECT_EQ(reader.Name(), L"Physical memory Usage Graph");
    EXPECT_EQ(reader.Role(), ROLE_SYSTEM_PROGRESSBAR);
    EXPECT_EQ(reader.Value(), L"37%");
}

// --- Together: painting and DPI changes leave no GDI objects behind ---

TEST_F(OwnerDrawnTest, ThousandsOfPaintsAndDpiChangesLeakNothing) {
    ChameleonButton button;
    FreeLink link;
    XpProgressBar bar;
    ASSERT_TRUE(button.Create(host_, 1, {{L"BTYPE", int32_t{3}}, {L"COLTYPE", int32_t{2}}}, L"b"));
    ASSERT_TRUE(link.Create(host_, 2, {}, L"l"));
    ASSERT_TRUE(bar.Create(host_, 3, {}));
    for (HWND w : {button.hwnd(), link.hwnd(), bar.hwnd()})
        ::MoveWindow(w, S(10), S(10), S(150), S(30), TRUE);
    bar.SetValue(50);
    const auto work = [&](int paints, int dpiChanges) {
        for (int i = 0; i < paints; ++i)
            for (HWND w : {button.hwnd(), link.hwnd(), bar.hwnd()}) {
                ::InvalidateRect(w, nullptr, FALSE);
                ::UpdateWindow(w);
                Capture(w);
            }
        for (int i = 0; i < dpiChanges; ++i)
            for (HWND w : {button.hwnd(), link.hwnd(), bar.hwnd()}) {
                ::SendMessageW(w, kDpiChangedAfterParent, 0, 0);
                ::SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
            }
    };
    work(5, 5); // what the system makes once (a window's DC, cached fonts)
    const size_t before = test::LiveGdiObjects();
    ASSERT_GT(before, 0u);
    work(1000, 100);
    const size_t after = test::LiveGdiObjects();
    EXPECT_LE(after, before) << before << " -> " << after;
}

} // namespace
} // namespace tessaly
