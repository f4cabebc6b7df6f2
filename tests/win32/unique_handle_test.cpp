#include "win32/unique_handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <type_traits>
#include <vector>

namespace tessaly {
namespace {

// Records every close, so a test sees what was closed and how often.
std::vector<int> g_closed;

// Handles that are invalid as -1 (like INVALID_HANDLE_VALUE), so 0 is a valid handle.
struct MinusOneTraits {
    using Handle = int;
    static Handle Invalid() { return -1; }
    static void Close(Handle h) { g_closed.push_back(h); }
};

// Handles that are invalid as 0 (like NULL).
struct ZeroTraits {
    using Handle = int;
    static Handle Invalid() { return 0; }
    static void Close(Handle h) { g_closed.push_back(h); }
};

using Owner = UniqueHandle<MinusOneTraits>;
using NullOwner = UniqueHandle<ZeroTraits>;

static_assert(!std::is_copy_constructible_v<Owner>);
static_assert(!std::is_copy_assignable_v<Owner>);
static_assert(std::is_nothrow_move_constructible_v<Owner>);
static_assert(std::is_nothrow_move_assignable_v<Owner>);
static_assert(!std::is_convertible_v<int, Owner>, "taking ownership must be explicit");

class UniqueHandleTest : public testing::Test {
protected:
    void SetUp() override { g_closed.clear(); }
    void TearDown() override { g_closed.clear(); }
    using Closed = std::vector<int>;
};

TEST_F(UniqueHandleTest, DefaultHoldsNothingAndClosesNothing) {
    {
        Owner h;
        EXPECT_FALSE(h);
        EXPECT_EQ(h.get(), -1);
        NullOwner n;
        EXPECT_FALSE(n);
        EXPECT_EQ(n.get(), 0);
    }
    EXPECT_EQ(g_closed, Closed{});
}

TEST_F(UniqueHandleTest, ValidityFollowsTheTraitsInvalidValue) {
    {
        Owner zero(0);
        EXPECT_TRUE(zero);
        Owner invalid(-1);
        EXPECT_FALSE(invalid);
        NullOwner null(0);
        EXPECT_FALSE(null);
        NullOwner minusOne(-1);
        EXPECT_TRUE(minusOne);
    }
    // Only the valid ones are closed.
    EXPECT_EQ(g_closed, (Closed{-1, 0}));
}

TEST_F(UniqueHandleTest, ClosesOnceWhenDestroyed) {
    { Owner h(7); }
    EXPECT_EQ(g_closed, Closed{7});
}

TEST_F(UniqueHandleTest, MoveConstructionTransfersOwnership) {
    {
        Owner a(7);
        Owner b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 7);
        EXPECT_EQ(g_closed, Closed{});
    }
    EXPECT_EQ(g_closed, Closed{7});
}

TEST_F(UniqueHandleTest, MoveAssignmentClosesWhatTheTargetHeld) {
    {
        Owner a(7);
        Owner b(8);
        b = std::move(a);
        EXPECT_EQ(g_closed, Closed{8});
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 7);
        Owner empty;
        b = std::move(empty);
        EXPECT_EQ(g_closed, (Closed{8, 7}));
        EXPECT_FALSE(b);
    }
    EXPECT_EQ(g_closed, (Closed{8, 7}));
}

TEST_F(UniqueHandleTest, SelfMoveAssignmentKeepsTheHandle) {
    {
        Owner a(7);
        Owner& alias = a;
        a = std::move(alias);
        EXPECT_EQ(a.get(), 7);
        EXPECT_EQ(g_closed, Closed{});
    }
    EXPECT_EQ(g_closed, Closed{7});
}

TEST_F(UniqueHandleTest, ResetClosesTheOldHandleAndTakesTheNew) {
    {
        Owner h(7);
        h.reset(8);
        EXPECT_EQ(g_closed, Closed{7});
        EXPECT_EQ(h.get(), 8);
        h.reset();
        EXPECT_EQ(g_closed, (Closed{7, 8}));
        EXPECT_FALSE(h);
        h.reset(); // nothing held: nothing closed
        EXPECT_EQ(g_closed, (Closed{7, 8}));
        h.reset(9);
    }
    EXPECT_EQ(g_closed, (Closed{7, 8, 9}));
}

TEST_F(UniqueHandleTest, ReleaseGivesUpOwnershipWithoutClosing) {
    int handle = 0;
    {
        Owner h(7);
        handle = h.release();
        EXPECT_FALSE(h);
        EXPECT_EQ(h.release(), -1);
    }
    EXPECT_EQ(handle, 7);
    EXPECT_EQ(g_closed, Closed{});
}

TEST_F(UniqueHandleTest, PutClosesWhatWasHeldAndOwnsWhatIsWritten) {
    {
        Owner h(7);
        int* slot = h.put();
        EXPECT_EQ(g_closed, Closed{7});
        EXPECT_EQ(*slot, -1); // a call that fails and writes nothing leaves it empty
        *slot = 8;
        EXPECT_EQ(h.get(), 8);
        *h.put() = 9;
        EXPECT_EQ(g_closed, (Closed{7, 8}));
    }
    EXPECT_EQ(g_closed, (Closed{7, 8, 9}));
}

TEST_F(UniqueHandleTest, HandlesKeptInAVectorAreClosedOnceEach) {
    {
        std::vector<Owner> owners;
        for (int i = 1; i <= 20; ++i)
            owners.emplace_back(i); // growing moves the owners around
        owners.erase(owners.begin() + 5);
        EXPECT_EQ(g_closed, Closed{6});
    }
    ASSERT_EQ(g_closed.size(), 20u);
    std::vector<int> sorted = g_closed;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(sorted[i], i + 1);
}

} // namespace
} // namespace tessaly
