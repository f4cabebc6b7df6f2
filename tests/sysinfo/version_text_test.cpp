#include "sysinfo/version_text.h"

#include <gtest/gtest.h>

namespace tessaly {
namespace {

TEST(WinNameText, NamesKnownVersionsWithTrailingSpace) {
    struct Case {
        uint32_t major, minor;
        PlatformId platform;
        const wchar_t* name;
    };
    const Case cases[] = {
        {3, 5, PlatformId::WindowsNt, L"Windows NT "},
        {3, 1, PlatformId::Win32s, L"Windows "},
        {3, 0, PlatformId::Win32s, L"Windows "},
        {3, 10, PlatformId::Win32s, L"Windows "},
        {4, 0, PlatformId::WindowsNt, L"Windows NT "},
        {4, 0, PlatformId::Windows9x, L"Windows 95 "},
        {4, 10, PlatformId::Windows9x, L"Windows 98 "},
        {4, 89, PlatformId::Windows9x, L"Windows 98 "},
        {4, 90, PlatformId::Windows9x, L"Windows ME "},
        {5, 0, PlatformId::WindowsNt, L"Windows 2000 "},
        {5, 1, PlatformId::WindowsNt, L"Windows XP "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.major << "." << c.minor << " platform "
                                        << static_cast<uint32_t>(c.platform));
        EXPECT_EQ(WinNameText(c.major, c.minor, c.platform), c.name);
    }
}

TEST(WinNameText, LaterVersionsAreUnknownWithoutTrailingSpace) {
    const std::wstring unknown = L"Windows Unknown Version";
    EXPECT_EQ(WinNameText(6, 0, PlatformId::WindowsNt), unknown);
    EXPECT_EQ(WinNameText(6, 1, PlatformId::WindowsNt), unknown);
    EXPECT_EQ(WinNameText(6, 3, PlatformId::WindowsNt), unknown);
    EXPECT_EQ(WinNameText(10, 0, PlatformId::WindowsNt), unknown);
    EXPECT_EQ(WinNameText(0, 0, PlatformId::WindowsNt), unknown);
    EXPECT_EQ(WinNameText(2, 0, PlatformId::Win32s), unknown);
}

TEST(WinVersionText, MajorMinorAndBuild) {
    EXPECT_EQ(WinVersionText(6, 1, 7601), L"6.1 (Build 7601)");
    EXPECT_EQ(WinVersionText(10, 0, 19045), L"10.0 (Build 19045)");
    EXPECT_EQ(WinVersionText(0, 0, 0), L"0.0 (Build 0)");
    EXPECT_EQ(WinVersionText(4, 10, 4294967295u), L"4.10 (Build 4294967295)");
}

TEST(IEVersionText, ThreePartsAfterTheName) {
    EXPECT_EQ(IEVersionText(6, 0, 2900), L"Internet Explorer 6.0.2900");
    EXPECT_EQ(IEVersionText(0, 0, 0), L"Internet Explorer 0.0.0");
    EXPECT_EQ(IEVersionText(11, 0, 9600), L"Internet Explorer 11.0.9600");
}

} // namespace
} // namespace tessaly
