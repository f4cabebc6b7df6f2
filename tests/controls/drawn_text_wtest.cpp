// Text drawn on a parent's background: it must draw inside its box only, and ask for a repaint
// exactly where something changed, so that what is on the screen never goes stale.
#include "controls/drawn_text.h"

#include "support/wine_test_support.h"
#include "win32/handles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace tessaly {
namespace {

class DrawnTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = test::MakePlainWindow(L"text", WS_OVERLAPPEDWINDOW, 40, 40, 400, 300);
        ASSERT_TRUE(host_);
        ::ShowWindow(host_, SW_SHOWNORMAL);
        test::PumpFor(100);
    }
    void TearDown() override { ::DestroyWindow(host_); }

    // Marks the whole window painted, as after a WM_PAINT.
    void Validate() const { ::ValidateRect(host_, nullptr); }
    bool NothingToPaint() const { return !::GetUpdateRect(host_, nullptr, FALSE); }
    RECT UpdateRect() const {
        RECT rect{};
        ::GetUpdateRect(host_, &rect, FALSE);
        return rect;
    }
    bool NeedsPaintAt(int x, int y) const {
        UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
        return ::GetUpdateRgn(host_, region.get(), FALSE) > NULLREGION &&
               ::PtInRegion(region.get(), x, y);
    }

    HWND host_ = nullptr;
};

TEST_F(DrawnTextTest, DrawsItsTextInsideItsBoxOnly) {
    constexpr int kWidth = 200, kHeight = 60;
    HDC screen = ::GetDC(nullptr);
    UniqueMemoryDc dc(::CreateCompatibleDC(screen));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, kWidth, kHeight));
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc.get(), bitmap.get());
    const RECT all{0, 0, kWidth, kHeight};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc.get(), TRANSPARENT);
    ::SetTextColor(dc.get(), RGB(0, 0, 0));

    // A text far longer than its box: the end is cut off, nothing spills out.
    DrawnText text(L"Wide text that does not fit in the box it is given at all, &not even close");
    const RECT box{20, 20, 120, 40};
    text.Move(nullptr, box);
    text.Paint(dc.get(), DT_LEFT | DT_TOP | DT_END_ELLIPSIS);
    ::SelectObject(dc.get(), old);

    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, kWidth, -kHeight, 1, 32, BI_RGB};
    std::vector<DWORD> pixels(kWidth * kHeight);
    ASSERT_EQ(::GetDIBits(dc.get(), bitmap.get(), 0, kHeight, pixels.data(), &info, DIB_RGB_COLORS),
              kHeight);
    int inside = 0, outside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if ((pixels[y * kWidth + x] & 0xFFFFFF) != 0xFFFFFF)
                ++(::PtInRect(&box, {x, y}) ? inside : outside);
    EXPECT_GT(inside, 20) << "no text drawn";
    EXPECT_EQ(outside, 0) << "text drawn outside its box";
}

TEST_F(DrawnTextTest, RepaintsOnlyWhereSomethingChanged) {
    DrawnText text(L"first");
    const RECT box{10, 10, 110, 30};
    text.Move(host_, box);
    Validate();

    // The same text again: nothing to draw.
    text.SetText(host_, L"first");
    EXPECT_TRUE(NothingToPaint());

    // A new text: its box, and nothing else.
    text.SetText(host_, L"second");
    EXPECT_EQ(text.Text(), L"second");
    const RECT dirty = UpdateRect();
    EXPECT_TRUE(::EqualRect(&dirty, &box));
    Validate();

    // Moved: the old place is cleared and the new one drawn; the same place again is nothing.
    const RECT moved{10, 100, 110, 120};
    text.Move(host_, moved);
    EXPECT_TRUE(NeedsPaintAt(50, 20));
    EXPECT_TRUE(NeedsPaintAt(50, 110));
    EXPECT_FALSE(NeedsPaintAt(50, 60));
    EXPECT_TRUE(::EqualRect(&text.Box(), &moved));
    Validate();
    text.Move(host_, moved);
    EXPECT_TRUE(NothingToPaint());
}

} // namespace
} // namespace tessaly
