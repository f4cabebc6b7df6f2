// The navigation column drawn in one window: its buttons must answer the mouse and the
// keyboard as button windows would, and tell the parent with the button's command.
#include "controls/nav_bar.h"

#include "support/wine_test_support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <vector>

namespace tessaly {
namespace {

// The commands the parent was sent, as (ID, notification code).
std::vector<std::pair<int, int>> commands;

LRESULT CALLBACK RecordCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR) {
    if (message == WM_COMMAND)
        commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    return ::DefSubclassProc(window, message, wParam, lParam);
}

class NavBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        commands.clear();
        host_ = test::MakePlainWindow(L"nav", WS_OVERLAPPEDWINDOW, 40, 40, 300, 400);
        ASSERT_TRUE(host_);
        ::SetWindowSubclass(host_, RecordCommands, 1, 0);
        ASSERT_TRUE(bar_.Create(host_, 77, {RGB(0, 0, 80), RGB(200, 200, 200)},
                                static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))));
        ::MoveWindow(bar_.hwnd(), 0, 0, 160, 300, TRUE);
        // A heading, two buttons, a heading, one button.
        bar_.SetItems({{0, L"FIRST", {10, 10, 150, 26}},
                       {101, L"One", {10, 30, 150, 58}},
                       {102, L"Two", {10, 64, 150, 92}},
                       {0, L"SECOND", {10, 100, 150, 116}},
                       {103, L"Three", {10, 120, 150, 148}}});
        ::ShowWindow(host_, SW_SHOWNORMAL);
        test::PumpFor(100);
    }
    void TearDown() override { ::DestroyWindow(host_); }

    void Mouse(UINT message, int x, int y) const {
        ::SendMessageW(bar_.hwnd(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                       MAKELPARAM(x, y));
    }
    void Click(int downX, int downY, int upX, int upY) const {
        Mouse(WM_LBUTTONDOWN, downX, downY);
        Mouse(WM_MOUSEMOVE, upX, upY);
        Mouse(WM_LBUTTONUP, upX, upY);
    }
    void Key(WPARAM key) const {
        ::SendMessageW(bar_.hwnd(), WM_KEYDOWN, key, 1);
        ::SendMessageW(bar_.hwnd(), WM_KEYUP, key, 0xC0000001);
    }
    using Commands = std::vector<std::pair<int, int>>;

    HWND host_ = nullptr;
    NavBar bar_;
};

TEST_F(NavBarTest, AClickOnAButtonSendsItsCommand) {
    Click(80, 44, 80, 44);
    EXPECT_EQ(commands, (Commands{{101, BN_CLICKED}}));
    // The bar takes the focus, as a clicked button does.
    EXPECT_EQ(::GetFocus(), bar_.hwnd());

    // Let go of over another button, or pressed outside any: nothing.
    commands.clear();
    Click(80, 44, 80, 78);
    Click(80, 18, 80, 18);   // a heading
    Click(80, 200, 80, 200); // below the buttons
    EXPECT_TRUE(commands.empty());

    Click(80, 134, 80, 134);
    EXPECT_EQ(commands, (Commands{{103, BN_CLICKED}}));
}

TEST_F(NavBarTest, TheKeyboardMovesOverTheButtonsAndPressesThem) {
    ::SetFocus(bar_.hwnd());
    // The focus starts on the first button; Enter presses it.
    Key(VK_RETURN);
    // Down goes over the heading to the last button, and no further.
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_SPACE);
    // Home and End go to either end; Up steps back.
    Key(VK_HOME);
    Key(VK_RETURN);
    Key(VK_END);
    Key(VK_UP);
    Key(VK_RETURN);
    EXPECT_EQ(
        commands,
        (Commands{{101, BN_CLICKED}, {103, BN_CLICKED}, {101, BN_CLICKED}, {102, BN_CLICKED}}));
    // Enter reaches the bar through the dialog manager too; Tab does not stop in it.
    const auto* enter = [] {
        static MSG message{};
        message.message = WM_KEYDOWN;
        message.wParam = VK_RETURN;
        return &message;
    }();
    EXPECT_TRUE(
        ::SendMessageW(bar_.hwnd(), WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(enter)) &
        DLGC_WANTMESSAGE);
    EXPECT_FALSE(::SendMessageW(bar_.hwnd(), WM_GETDLGCODE, VK_TAB, 0) & DLGC_WANTTAB);
}

TEST_F(NavBarTest, GivesWhereAButtonIsOnTheScreen) {
    POINT origin{0, 0};
    ::ClientToScreen(bar_.hwnd(), &origin);
    const RECT box = bar_.ScreenBox(102);
    EXPECT_EQ(box.left, origin.x + 10);
    EXPECT_EQ(box.top, origin.y + 64);
    EXPECT_EQ(box.bottom, origin.y + 92);
    const RECT none = bar_.ScreenBox(999);
    EXPECT_TRUE(::IsRectEmpty(&none));
}

TEST_F(NavBarTest, AccessibilityClientsSeeAndPressTheButtons) {
    IAccessible* raw = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(bar_.hwnd(), static_cast<DWORD>(OBJID_CLIENT),
                                           IID_IAccessible, reinterpret_cast<void**>(&raw)),
              S_OK);
    struct Releaser {
        IAccessible* object;
        ~Releaser() { object->Release(); }
    } held{raw};
    const auto child = [](long id) {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = id;
        return v;
    };
    const auto name = [&](long id) {
        BSTR text = nullptr;
        std::wstring result;
        if (raw->get_accName(child(id), &text) == S_OK && text)
            result = text;
        ::SysFreeString(text);
        return result;
    };
    const auto role = [&](long id) {
        VARIANT v;
        ::VariantInit(&v);
        raw->get_accRole(child(id), &v);
        return v.vt == VT_I4 ? v.lVal : -1;
    };
    const auto state = [&](long id) {
        VARIANT v;
        ::VariantInit(&v);
        raw->get_accState(child(id), &v);
        return v.vt == VT_I4 ? v.lVal : 0;
    };

    long count = 0;
    EXPECT_EQ(raw->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(name(1), L"FIRST");
    EXPECT_EQ(role(1), ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(name(3), L"Two");
    EXPECT_EQ(role(3), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(role(CHILDID_SELF), ROLE_SYSTEM_TOOLBAR);
    EXPECT_EQ(raw->get_accName(child(6), nullptr), E_POINTER);
    BSTR none = nullptr;
    EXPECT_EQ(raw->get_accName(child(6), &none), E_INVALIDARG);

    // Where a button is, and which child a point on the screen hits.
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(raw->accLocation(&left, &top, &width, &height, child(3)), S_OK);
    const RECT box = bar_.ScreenBox(102);
    EXPECT_EQ(left, box.left);
    EXPECT_EQ(top, box.top);
    EXPECT_EQ(width, box.right - box.left);
    EXPECT_EQ(height, box.bottom - box.top);
    VARIANT hit;
    ::VariantInit(&hit);
    ASSERT_EQ(raw->accHitTest(left + 5, top + 5, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, 3);

    // Taking the focus and pressing, as a screen reader or a test tool does.
    EXPECT_EQ(raw->accSelect(SELFLAG_TAKEFOCUS, child(5)), S_OK);
    EXPECT_EQ(::GetFocus(), bar_.hwnd());
    EXPECT_TRUE(state(5) & STATE_SYSTEM_FOCUSED);
    EXPECT_FALSE(state(2) & STATE_SYSTEM_FOCUSED);
    VARIANT focus;
    ::VariantInit(&focus);
    EXPECT_EQ(raw->get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.lVal, 5);
    EXPECT_EQ(raw->accDoDefaultAction(child(2)), S_OK);
    EXPECT_EQ(raw->accDoDefaultAction(child(1)), DISP_E_MEMBERNOTFOUND); // a heading
    EXPECT_EQ(commands, (Commands{{101, BN_CLICKED}}));

    // A client that holds on after the bar is gone gets an answer, not a crash.
    ::DestroyWindow(bar_.hwnd());
    EXPECT_EQ(raw->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(raw->accDoDefaultAction(child(2)), DISP_E_MEMBERNOTFOUND);
}

} // namespace
} // namespace tessaly
