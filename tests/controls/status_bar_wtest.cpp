// The status bar painting that draws only what changed: it must look like the common control,
// redraw a changed part whole with its text, and leave the other parts as they are.
#include "controls/status_bar_paint.h"

#include "support/wine_test_support.h"
#include "win32/handles.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace tessaly {
namespace {

constexpr COLORREF kSentinel = RGB(255, 0, 255);

class StatusBarPaintTest : public ::testing::Test {
protected:
    // Two windows alike, each with a status bar of four parts: one bar with the painting, one
    // without.
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&controls);
        for (int i = 0; i < 2; ++i) {
            hosts_[i] = test::MakePlainWindow(L"bar", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40,
                                              40 + 260 * i, 720, 240);
            ASSERT_TRUE(hosts_[i]);
            bars_[i] =
                ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP,
                                  0, 0, 0, 0, hosts_[i], nullptr, nullptr, nullptr);
            int edges[] = {150, 300, 450, -1};
            ::SendMessageW(bars_[i], SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges));
            ::ShowWindow(hosts_[i], SW_SHOWNORMAL);
        }
        painted_ = bars_[0];
        ASSERT_TRUE(PaintChangedPartsOnly(painted_));
        test::PumpFor(300);
    }
    void TearDown() override {
        for (HWND host : hosts_)
            ::DestroyWindow(host);
    }

    // The bar as its own painting draws it, read back into a top-down 32-bit image.
    static std::vector<DWORD> Render(HWND bar, SIZE& size) {
        RECT client{};
        ::GetClientRect(bar, &client);
        size = {client.right, client.bottom};
        HDC screen = ::GetDC(nullptr);
        UniqueMemoryDc dc(::CreateCompatibleDC(screen));
        UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, size.cx, size.cy));
        ::ReleaseDC(nullptr, screen);
        HGDIOBJ old = ::SelectObject(dc.get(), bitmap.get());
        ::SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
        ::SelectObject(dc.get(), old);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, size.cx, -size.cy, 1, 32, BI_RGB};
        std::vector<DWORD> pixels(static_cast<size_t>(size.cx) * size.cy);
        ::GetDIBits(dc.get(), bitmap.get(), 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS);
        return pixels;
    }

    static RECT PartRect(HWND bar, int part) {
        RECT rect{};
        ::SendMessageW(bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&rect));
        return rect;
    }

    // Whether some pixel inside `rect` (in the bar, read from the screen) is, or is not, `colour`.
    static bool Any(HWND bar, const RECT& rect, COLORREF colour, bool equal) {
        HDC dc = ::GetDC(bar);
        bool found = false;
        for (int y = rect.top + 2; y < rect.bottom - 2 && !found; ++y)
            for (int x = rect.left + 2; x < rect.right - 2 && !found; ++x)
                found = (::GetPixel(dc, x, y) == colour) == equal;
        ::ReleaseDC(bar, dc);
        return found;
    }

    HWND hosts_[2] = {}, bars_[2] = {}, painted_ = nullptr;
};

TEST_F(StatusBarPaintTest, WithoutTextsLooksLikeTheCommonControl) {
    // Two bars alike but for the painting: the same background, part frames and grip, pixel for
    // pixel, and again after a resize makes the kept frame stale.
    for (int width : {720, 520}) {
        for (int i = 0; i < 2; ++i) {
            ::SetWindowPos(hosts_[i], nullptr, 0, 0, width, 240, SWP_NOMOVE | SWP_NOZORDER);
            ::SendMessageW(bars_[i], WM_SIZE, 0, 0);
        }
        // The first paint at this size goes into a bare memory context (one monochrome pixel):
        // the frame kept for later paints must still be made in colour.
        UniqueMemoryDc bare(::CreateCompatibleDC(nullptr));
        ::SendMessageW(bars_[0], WM_PRINTCLIENT, reinterpret_cast<WPARAM>(bare.get()), PRF_CLIENT);
        SIZE ours{}, theirs{};
        const std::vector<DWORD> a = Render(bars_[0], ours), b = Render(bars_[1], theirs);
        ASSERT_EQ(ours.cx, theirs.cx);
        ASSERT_EQ(ours.cy, theirs.cy);
        size_t differing = 0;
        for (size_t i = 0; i < a.size(); ++i)
            differing += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
        EXPECT_EQ(differing, 0u) << "width " << width << ": of " << a.size() << " pixels";
    }
}

TEST_F(StatusBarPaintTest, AChangedPartIsRedrawnWholeAndTheOthersKept) {
    const wchar_t* texts[] = {L"Total Processes: 8", L"CPU Usage 3.00 %", L"RAM Usage 41.000 %",
                              L"www.tessaly.example"};
    for (int part = 0; part < 4; ++part)
        ::SendMessageW(painted_, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(texts[part]));
    ::UpdateWindow(painted_);
    test::PumpFor(100);
    const COLORREF ink = ::GetSysColor(COLOR_BTNTEXT);
    for (int part = 0; part < 4; ++part)
        EXPECT_TRUE(Any(painted_, PartRect(painted_, part), ink, true)) << "no text in " << part;

    // Mark the whole bar where it is seen, behind the control's back, then change one part.
    HDC dc = ::GetDC(painted_);
    RECT client{};
    ::GetClientRect(painted_, &client);
    UniqueBrush sentinel(::CreateSolidBrush(kSentinel));
    ::FillRect(dc, &client, sentinel.get());
    ::ReleaseDC(painted_, dc);
    ::SendMessageW(painted_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"CPU Usage 14.00 %"));
    ::UpdateWindow(painted_);
    test::PumpFor(100);

    for (int part : {0, 2, 3})
        EXPECT_FALSE(Any(painted_, PartRect(painted_, part), kSentinel, false))
            << "part " << part << " was painted again though it did not change";
    const RECT changed = PartRect(painted_, 1);
    EXPECT_FALSE(Any(painted_, changed, kSentinel, true)) << "the changed part is not all redrawn";
    EXPECT_TRUE(Any(painted_, changed, ink, true)) << "the changed part shows no text";

    // The texts stay the control's: read back as set.
    wchar_t read[64] = {};
    ::SendMessageW(painted_, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(read));
    EXPECT_STREQ(read, L"CPU Usage 14.00 %");
}

} // namespace
} // namespace tessaly
