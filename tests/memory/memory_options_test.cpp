#include "memory/memory_options.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(StoredHotkeyKey, OneCharacterWithLettersInCapitals) {
    EXPECT_EQ(StoredHotkeyKey(L"p"), L"P"); // key codes of letters are their capitals
    EXPECT_EQ(StoredHotkeyKey(L" Q "), L"Q");
    EXPECT_EQ(StoredHotkeyKey(L"7"), L"7");
    EXPECT_EQ(StoredHotkeyKey(L"xyz"), L"X");
    EXPECT_EQ(StoredHotkeyKey(L"   "), L"");
    EXPECT_EQ(StoredHotkeyKey(L""), L"");
}

} // namespace
} // namespace tessaly
