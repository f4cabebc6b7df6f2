#include "controls/xp_progress_bar_logic.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

namespace tessaly {
namespace {

TEST(ProgressChecks, RefuseInTheirOrderWithTheirTexts) {
    using R = ProgressRefusal;
    const ProgressProperties p{.Min = 10, .Max = 100, .Value = 50};
    struct Case {
        const char* what;
        R got, expected;
    };
    const Case cases[] = {
        {"value above max", CheckValue(p, 101), R::ValueAboveMax},
        {"value below min", CheckValue(p, 9), R::ValueBelowMin},
        {"value at max", CheckValue(p, 100), R::None},
        {"value at min", CheckValue(p, 10), R::None},
        {"min above max", CheckMin(p, 150), R::MinAboveMax},
        {"min below zero", CheckMin(p, -1), R::MinBelowZero},
        // Above the maximum is told before below zero, which cannot both hold here; a
        // negative maximum shows the order.
        {"min -5 with max -10", CheckMin({.Min = 0, .Max = -10}, -5), R::MinAboveMax},
        {"min at max", CheckMin(p, 100), R::None},
        {"min zero", CheckMin(p, 0), R::None},
        {"max below min", CheckMax(p, 9), R::MaxBelowMin},
        {"max at min", CheckMax(p, 10), R::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;

    EXPECT_STREQ(RefusalText(R::ValueAboveMax), L"Value can NOT be higher than Maximum !");
    EXPECT_STREQ(RefusalText(R::ValueBelowMin), L"Value can NOT be smaller than minimum !");
    EXPECT_STREQ(RefusalText(R::MinAboveMax), L"Minimum can NOT be biger than maximum !");
    EXPECT_STREQ(RefusalText(R::MinBelowZero), L"Minimum can NOT be smaller then 0 !");
    EXPECT_STREQ(RefusalText(R::MaxBelowMin), L"Maximum can NOT be smaller than minimum !");
}

TEST(FilledLength, ShareOfTheRangeKeptInside) {
    struct Case {
        ProgressProperties p;
        int length, filled;
    };
    const Case cases[] = {
        {{.Min = 0, .Max = 100, .Value = 37}, 200, 74},
        {{.Min = 0, .Max = 100, .Value = 100}, 199, 199},
        {{.Min = 0, .Max = 100, .Value = 0}, 199, 0},
        {{.Min = 50, .Max = 150, .Value = 75}, 100, 25},
        // Out of range (a maximum lowered below the value): clamped, never past the end.
        {{.Min = 0, .Max = 10, .Value = 40}, 100, 100},
        {{.Min = 20, .Max = 30, .Value = 5}, 100, 0},
        // A range of no width: full at its end (where any value is clamped), no division by
        // zero.
        {{.Min = 7, .Max = 7, .Value = 7}, 80, 80},
        {{.Min = 7, .Max = 7, .Value = 6}, 80, 80},
        // A maximum below the minimum behaves as a range of no width.
        {{.Min = 9, .Max = 3, .Value = 9}, 80, 80},
        // Wide ranges do not overflow.
        {{.Min = 0, .Max = INT_MAX, .Value = INT_MAX / 2}, 1000, 499},
        {{.Min = 0, .Max = 100, .Value = 50}, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FilledLength(c.p, c.length), c.filled)
            << c.p.Min << ".." << c.p.Max << " @" << c.p.Value << " of " << c.length;
    EXPECT_EQ(FilledPercent({.Min = 0, .Max = 100, .Value = 37}), 37);
}

TEST(ProgressProperties, BagsAreReadWithDefaultsAndChecks) {
    ProgressProperties read = ReadProgressProperties(PropertyBag{});
    EXPECT_EQ(read.Min, 0);
    EXPECT_EQ(read.Max, 100);
    EXPECT_EQ(read.Value, 0);
    EXPECT_EQ(read.Style, 0);
    EXPECT_EQ(read.ProgressLook, 0);

    const ProgressProperties saved{.Min = 5, .Max = 60, .Value = 30, .Style = 1, .ProgressLook = 7};
    read = ReadProgressProperties(WriteProgressProperties(saved));
    EXPECT_EQ(WriteProgressProperties(read), WriteProgressProperties(saved));
    EXPECT_EQ(read.ProgressLook, 7);

    // Values no setter would have let through are brought into range; wrong types are
    // defaults; an unknown look keeps the skin (the default one here).
    read = ReadProgressProperties({{L"Min", int32_t{-4}},
                                   {L"Max", int32_t{-9}},
                                   {L"Value", int32_t{12}},
                                   {L"Style", std::wstring(L"1")},
                                   {L"ProgressLook", int32_t{9}}});
    EXPECT_EQ(read.Min, 0);
    EXPECT_EQ(read.Max, 0);
    EXPECT_EQ(read.Value, 0);
    EXPECT_EQ(read.Style, 0);
    EXPECT_EQ(read.ProgressLook, 0);
}

TEST(SkinFor, EightNamedSkinsAndNothingElse) {
    const wchar_t* names[] = {L"master", L"blue",    L"bluemet",   L"goldmet",
                              L"grmet",  L"greymet", L"orangemet", L"redmet"};
    std::set<Colour> fills;
    for (int look = 0; look < kProgressSkinCount; ++look) {
        const auto skin = SkinFor(look);
        ASSERT_TRUE(skin) << look;
        EXPECT_STREQ(skin->name, names[look]);
        EXPECT_TRUE(fills.insert(skin->fillMid).second) << look;
    }
    for (int look : {-1, 8, 9, 1000})
        EXPECT_FALSE(SkinFor(look)) << look;
}

} // namespace
} // namespace tessaly
