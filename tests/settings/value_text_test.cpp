#include "settings/value_text.h"

#include "common/text.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(DwordValueText, HexadecimalWithAmpersandH) {
    EXPECT_EQ(DwordValueText(256), L"&h100");
    EXPECT_EQ(DwordValueText(1), L"&h1");
    EXPECT_EQ(DwordValueText(0), L"&h0");
    EXPECT_EQ(DwordValueText(0xFFFFFFFFu), L"&hFFFFFFFF");
    EXPECT_EQ(DwordValueText(0xABCDEF), L"&hABCDEF");
    EXPECT_EQ(DwordValueText(0x80000000u), L"&h80000000");
}

TEST(DwordValueText, ReadsBackAsTheSameNumber) {
    const uint32_t values[] = {0,   1,   9,     10,         15,          16,
                               255, 256, 15000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
    for (uint32_t value : values) {
        SCOPED_TRACE(value);
        EXPECT_EQ(LeadingNumber(DwordValueText(value)), static_cast<double>(value));
    }
}

} // namespace
} // namespace tessaly
