#include "shell/start_options.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tessaly {
namespace {

TEST(ArgumentsOf, SkipsQuotedProgramName) {
    EXPECT_EQ(ArgumentsOf(L"\"C:\\Program Files\\Tessaly\\varnok.exe\" s"), L" s");
    EXPECT_EQ(ArgumentsOf(L"\"C:\\Program Files\\Tessaly\\varnok.exe\""), L"");
    EXPECT_EQ(ArgumentsOf(L"  \"C:\\a b\\varnok.exe\"  g "), L"  g ");
    // Arguments may follow the closing quote directly.
    EXPECT_EQ(ArgumentsOf(L"\"varnok.exe\"s"), L"s");
    // An unclosed quote takes the whole line as the program name.
    EXPECT_EQ(ArgumentsOf(L"\"C:\\a b\\varnok.exe s"), L"");
}

TEST(ArgumentsOf, SkipsUnquotedProgramNameUpToFirstBlank) {
    EXPECT_EQ(ArgumentsOf(L"C:\\Tessaly\\varnok.exe s"), L" s");
    EXPECT_EQ(ArgumentsOf(L"varnok.exe\ts"), L"\ts");
    EXPECT_EQ(ArgumentsOf(L"varnok.exe"), L"");
    EXPECT_EQ(ArgumentsOf(L"  varnok.exe  S  "), L"  S  ");
    EXPECT_EQ(ArgumentsOf(L""), L"");
    EXPECT_EQ(ArgumentsOf(L"   "), L"");
}

TEST(ParseStartOptions, TakesTheTrimmedArgumentsAsOneWord) {
    struct Case {
        const wchar_t* arguments;
        bool hidden;
        bool openPanel;
    };
    const Case cases[] = {
        {L" S ", true, false},  {L"s", true, false},   {L"\ts\t", true, false},
        {L"g", false, true},    {L" G", false, true},  {L"s foo", false, false},
        {L"s g", false, false}, {L"sg", false, false}, {L"/s", false, false},
        {L"-s", false, false},  {L"", false, false},   {L"   ", false, false},
        {L"x", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "[" << c.arguments << "]");
        const StartOptions options = ParseStartOptions(c.arguments);
        EXPECT_EQ(options.startHidden, c.hidden);
        EXPECT_EQ(options.openPanelAtLoad, c.openPanel);
    }
}

TEST(ParseStartOptions, AutostartCommandLineStartsHidden) {
    // The Run value written for autostart is the quoted program path followed by " s".
    const auto options =
        ParseStartOptions(ArgumentsOf(L"\"C:\\Program Files\\Tessaly\\varnok.exe\" s"));
    EXPECT_TRUE(options.startHidden);
    EXPECT_FALSE(options.openPanelAtLoad);
}

TEST(HotkeyFromSettings, EnabledOnlyForOneAndANonBlankKey) {
    struct Case {
        const wchar_t* enabled;
        const wchar_t* key;
        bool on;
        unsigned virtualKey;
    };
    const Case cases[] = {
        {L"1", L"P", true, 0x50},
        {L"1", L"p", true, 0x70}, // taken as is: 'p' is 0x70, which is the F1 key code
        {L"1", L" P ", true, 0x50},
        {L"1", L"PQ", true, 0x50},
        {L"1.0", L"P", true, 0x50}, // reads as exactly 1
        {L" 1", L"P", true, 0x50},
        {L"&h1", L"P", true, 0x50}, // a REG_DWORD 1 reads back in this form
        {L"1", L"   ", false, 0},
        {L"1", L"", false, 0},
        {L"2", L"P", false, 0},
        {L"0", L"P", false, 0},
        {L"", L"P", false, 0},
        {L"1.5", L"P", false, 0},
        {L"-1", L"P", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "[" << c.enabled << "] [" << c.key << "]");
        const HotkeySetting hotkey = HotkeyFromSettings(c.enabled, c.key);
        EXPECT_EQ(hotkey.enabled, c.on);
        EXPECT_EQ(hotkey.virtualKey, c.virtualKey);
    }
}

TEST(RefreshIntervalMs, ConvertsSecondsRunsAtLeastASecondAndFallsBackToFifteen) {
    struct Case {
        double seconds;
        unsigned ms;
    };
    const Case cases[] = {
        {0, 15000},    {30, 30000},    {15, 15000},       {1, 1000},         {2.5, 2500},
        {0.001, 1000}, {0.0005, 1000}, {0.05, 1000},      {0.999, 1000},     {7.5, 7500},
        {-1, 15000},   {-7.5, 15000},  {86400, 86400000}, {86400.5, 15000},  {86401, 15000},
        {1e23, 15000}, {1e300, 15000}, {-1e300, 15000},   {INFINITY, 15000}, {NAN, 15000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(RefreshIntervalMs(c.seconds), c.ms);
    }
}

TEST(RefreshIntervalMs, DecimalSecondsGiveExactMilliseconds) {
    // Typed values such as 1.001 are stored a hair below the decimal in binary; the interval
    // must still be the whole number of milliseconds the user typed.
    for (unsigned ms = 1000; ms <= 20000; ++ms) {
        const double seconds = ms / 1000.0;
        ASSERT_EQ(RefreshIntervalMs(seconds), ms) << seconds;
    }
    EXPECT_EQ(RefreshIntervalMs(4.35), 4350u);
}

TEST(CentredPosition, CentresWithinTheWorkArea) {
    EXPECT_EQ(CentredPosition(0, 1024, 800), 112);
    EXPECT_EQ(CentredPosition(0, 1024, 1024), 0);
    EXPECT_EQ(CentredPosition(40, 1000, 600), 240);      // work area below a top taskbar
    EXPECT_EQ(CentredPosition(-1920, 1920, 800), -1360); // monitor left of the primary
    EXPECT_EQ(CentredPosition(0, 1024, 801), 111);
}

TEST(CentredPosition, WindowLargerThanScreenGetsNegativePosition) {
    EXPECT_EQ(CentredPosition(0, 800, 1024), -112);
    EXPECT_EQ(CentredPosition(0, 600, 700), -50);
    EXPECT_EQ(CentredPosition(100, 800, 1000), 0);
}

} // namespace
} // namespace tessaly
