#include "probes/exit_options.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(ExitRequestFor, AsksProgramsToCloseAndGivesAPlannedReason) {
    const struct {
        int32_t option;
        bool any;
        uint32_t flags;
    } cases[] = {
        {0, true, 0x10}, // log off, hung programs ended
        {1, true, 0x11}, // shut down
        {2, true, 0x12}, // restart
        {8, true, 0x18}, // power off
        {3, false, 0},   {4, false, 0}, {-1, false, 0}, {12, false, 0},
    };
    for (const auto& c : cases) {
        const auto request = ExitRequestFor(c.option);
        ASSERT_EQ(request.has_value(), c.any) << c.option;
        if (!request)
            continue;
        EXPECT_EQ(request->flags, c.flags) << c.option;
        EXPECT_EQ(request->flags & 0x4u, 0u) << "no program may be ended without its say";
        EXPECT_EQ(request->reason, 0x80000000u) << c.option;
    }
}

} // namespace
} // namespace tessaly
