#include "process/process_record.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tessaly {
namespace {

TEST(KilobytesHalfEven, RoundsHalvesToEven) {
    struct Case {
        uint64_t bytes;
        uint32_t kb;
    };
    const Case cases[] = {
        {0, 0},    {511, 0},    {512, 0},    {513, 1},
        {1023, 1}, {1024, 1},   {1535, 1},   {1536, 2},
        {1537, 2}, {2560, 2},   {2561, 3},   {3584, 4},
        {4608, 4}, {10240, 10}, {10239, 10}, {268435456, 262144},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(KilobytesHalfEven(c.bytes), c.kb);
    }
}

TEST(KilobytesHalfEven, SaturatesInsteadOfWrapping) {
    const uint64_t maxKb = UINT32_MAX;
    EXPECT_EQ(KilobytesHalfEven(maxKb * 1024), UINT32_MAX);
    EXPECT_EQ(KilobytesHalfEven(maxKb * 1024 - 1), UINT32_MAX);
    // UINT32_MAX is odd, so this half rounds up past the largest value.
    EXPECT_EQ(KilobytesHalfEven(maxKb * 1024 + 512), UINT32_MAX);
    EXPECT_EQ(KilobytesHalfEven((maxKb + 1) * 1024), UINT32_MAX);
    EXPECT_EQ(KilobytesHalfEven(UINT64_MAX), UINT32_MAX);
}

TEST(CleanProcessPath, ExpandsSystemRootKeepingTheStoredFolderCase) {
    EXPECT_EQ(CleanProcessPath(L"\\SystemRoot\\System32\\smss.exe", L"C:\\WINDOWS"),
              L"C:\\WINDOWS\\system32\\smss.exe");
    EXPECT_EQ(CleanProcessPath(L"\\SYSTEMROOT\\SYSTEM32\\CSRSS.EXE", L"C:\\Windows"),
              L"C:\\Windows\\system32\\csrss.exe");
    EXPECT_EQ(CleanProcessPath(L"\\systemroot\\system32\\smss.exe", L"D:\\WinNT"),
              L"D:\\WinNT\\system32\\smss.exe");
}

TEST(CleanProcessPath, RemovesEveryObjectManagerPrefix) {
    EXPECT_EQ(CleanProcessPath(L"\\??\\C:\\WINDOWS\\system32\\winlogon.exe", L"C:\\WINDOWS"),
              L"c:\\windows\\system32\\winlogon.exe");
    EXPECT_EQ(CleanProcessPath(L"C:\\??\\WINDOWS\\x.exe", L"C:\\WINDOWS"), L"c:windows\\x.exe");
    EXPECT_EQ(CleanProcessPath(L"\\??\\C:\\a\\??\\b.exe", L"C:\\WINDOWS"), L"c:\\ab.exe");
}

TEST(CleanProcessPath, OrdinaryPathsAreOnlyLowerCased) {
    EXPECT_EQ(CleanProcessPath(L"C:\\Program Files\\Tessaly\\VARNOK.EXE", L"C:\\WINDOWS"),
              L"c:\\program files\\tessaly\\varnok.exe");
    EXPECT_EQ(CleanProcessPath(L"", L"C:\\WINDOWS"), L"");
    // "?" alone, or without both backslashes, is not the prefix.
    EXPECT_EQ(CleanProcessPath(L"C:\\a?\\b??.exe", L"C:\\WINDOWS"), L"c:\\a?\\b??.exe");
}

TEST(IsListedImageName, NeedsADot) {
    EXPECT_TRUE(IsListedImageName(L"explorer.exe"));
    EXPECT_TRUE(IsListedImageName(L"a.b.c"));
    EXPECT_TRUE(IsListedImageName(L"."));
    EXPECT_FALSE(IsListedImageName(L"[System Process]"));
    EXPECT_FALSE(IsListedImageName(L"System"));
    EXPECT_FALSE(IsListedImageName(L""));
}

} // namespace
} // namespace tessaly
