#include "controls/tray_logic.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaly {
namespace {

TEST(TrayEventFromMouseMessage, MapsShellMouseMessages) {
    struct Case {
        unsigned message;
        TrayEventKind kind;
        short button;
    };
    const Case cases[] = {
        {0x0200, TrayEventKind::MouseMove, 0}, // WM_MOUSEMOVE
        {0x0201, TrayEventKind::MouseDown, 1}, // WM_LBUTTONDOWN
        {0x0202, TrayEventKind::MouseUp, 1},   // WM_LBUTTONUP
        {0x0203, TrayEventKind::DblClick, 0},  // WM_LBUTTONDBLCLK
        {0x0204, TrayEventKind::MouseDown, 2}, // WM_RBUTTONDOWN
        {0x0205, TrayEventKind::MouseUp, 2},   // WM_RBUTTONUP
        {0x0206, TrayEventKind::DblClick, 0},  // WM_RBUTTONDBLCLK, not a second MouseDown
        {0x0207, TrayEventKind::None, 0},      // WM_MBUTTONDOWN
        {0x0209, TrayEventKind::None, 0},      // WM_MBUTTONDBLCLK
        {0x020A, TrayEventKind::None, 0},      // WM_MOUSEWHEEL
        {0x007B, TrayEventKind::None, 0},      // WM_CONTEXTMENU
        {0x0400, TrayEventKind::None, 0},      // NIN_SELECT
        {0x0405, TrayEventKind::None, 0},      // NIN_BALLOONUSERCLICK
        {0, TrayEventKind::None, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << c.message);
        const TrayEvent event = TrayEventFromMouseMessage(c.message);
        EXPECT_EQ(event.kind, c.kind);
        EXPECT_EQ(event.button, c.button);
    }
}

TEST(TrayToolTipText, TrimsBlanks) {
    EXPECT_EQ(TrayToolTipText(L"  Tessaly - 512 MB free \t"), L"Tessaly - 512 MB free");
    EXPECT_EQ(TrayToolTipText(L"   "), L"");
    EXPECT_EQ(TrayToolTipText(L""), L"");
}

TEST(TrayToolTipText, CutsToLeaveRoomForTheTerminator) {
    const std::wstring fits(127, L'x');
    EXPECT_EQ(TrayToolTipText(fits), fits);
    EXPECT_EQ(TrayToolTipText(fits + L"y"), fits);
    EXPECT_EQ(TrayToolTipText(std::wstring(500, L'x')), fits);
    EXPECT_EQ(TrayToolTipText(L"abcdef", 4), L"abc");
    EXPECT_EQ(TrayToolTipText(L"abc", 4), L"abc");
    EXPECT_EQ(TrayToolTipText(L"a", 1), L"");
    // The length limit applies to the trimmed text.
    EXPECT_EQ(TrayToolTipText(L"   abc   ", 4), L"abc");
}

} // namespace
} // namespace tessaly
