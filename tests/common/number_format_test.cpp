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

} // namespace
} // namespace tessaly
