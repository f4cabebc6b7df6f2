#include "common/number_format.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(RoundHalfAway, RoundsHalvesAwayFromZero) {
    struct Case {
        double value;
        int decimals;
        double expected;
    };
    const Case cases[] = {
        {0.5, 0, 1},      {1.5, 0, 2},
        {2.5, 0, 3},      {-2.5, 0, -3},
        {2.4, 0, 2},      {-2.4, 0, -2},
        {0.125, 2, 0.13}, {-0.125, 2, -0.13},
        {95.4, 2, 95.4},  {1234.5678, 2, 1234.57},
        {0, 2, 0},        {8192, 0, 8192},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " to " << c.decimals);
        EXPECT_DOUBLE_EQ(RoundHalfAway(c.value, c.decimals), c.expected);
    }
}

TEST(RoundHalfAway, DecimalHalvesStoredJustBelowStillRoundUp) {
    // 2.675 and 1.005 are held as 2.67499999... and 1.00499999...; a user reads them as halves.
    EXPECT_DOUBLE_EQ(RoundHalfAway(2.675, 2), 2.68);
    EXPECT_DOUBLE_EQ(RoundHalfAway(1.005, 2), 1.01);
    EXPECT_DOUBLE_EQ(RoundHalfAway(-1.005, 2), -1.01);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const struct {
        double value;
        int decimals;
        double expected;
    } cases[] = {
        {0.5, 0, 0},
        {1.5, 0, 2},
        {2.5, 0, 2},
        {-2.5, 0, -2},
        {2.6, 0, 3},
        {1.25, 1, 1.2},
        {1.35, 1, 1.4},
        {1.005, 2, 1.0},
        {1.015, 2, 1.02},
        {9.4, 0, 9},
        {9.6, 0, 10},
        {2.3945, 4, 2.3945},
        {99.99965, 4, 99.9996},
        {0, 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " to " << c.decimals);
        EXPECT_DOUBLE_EQ(RoundHalfEven(c.value, c.decimals), c.expected);
    }
}

TEST(FormatShortest, DropsTrailingZerosAndABareSeparator) {
    EXPECT_EQ(FormatShortest(1.5, 2), L"1.5");
    EXPECT_EQ(FormatShortest(59.98, 2), L"59.98");
    EXPECT_EQ(FormatShortest(2, 2), L"2");
    EXPECT_EQ(FormatShortest(100, 2), L"100");
    EXPECT_EQ(FormatShortest(100, 0), L"100");
    EXPECT_EQ(FormatShortest(0, 2), L"0");
    EXPECT_EQ(FormatShortest(-0.001, 2), L"0");
}

} // namespace
} // namespace tessaly
