#include "common/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tessaly {
namespace {

TEST(Trim, RemovesSpacesAndTabsAtBothEndsOnly) {
    EXPECT_EQ(Trim(L"  a b \t"), L"a b");
    EXPECT_EQ(Trim(L"\ta\t"), L"a");
    EXPECT_EQ(Trim(L"abc"), L"abc");
    EXPECT_EQ(Trim(L""), L"");
    EXPECT_EQ(Trim(L" \t  "), L"");
    EXPECT_EQ(Trim(L" x"), L"x");
    EXPECT_EQ(Trim(L"x "), L"x");
}

TEST(Lower, FoldsAsciiLettersAndLeavesTheRest) {
    EXPECT_EQ(Lower(L"C:\\WINDOWS\\System32\\SMSS.EXE"), L"c:\\windows\\system32\\smss.exe");
    EXPECT_EQ(Lower(L"0-9 _@[`{"), L"0-9 _@[`{");
    EXPECT_EQ(Lower(L""), L"");
}

TEST(EqualsNoCase, ComparesWholeTextsIgnoringCase) {
    EXPECT_TRUE(EqualsNoCase(L"Explorer.EXE", L"explorer.exe"));
    EXPECT_TRUE(EqualsNoCase(L"", L""));
    EXPECT_FALSE(EqualsNoCase(L"explorer.exe", L"explorer.ex"));
    EXPECT_FALSE(EqualsNoCase(L"explorer.ex", L"explorer.exe"));
    EXPECT_FALSE(EqualsNoCase(L"abc", L"abd"));
    EXPECT_FALSE(EqualsNoCase(L"a", L""));
}

TEST(ContainsNoCase, FindsNeedleAnywhereIgnoringCase) {
    EXPECT_TRUE(ContainsNoCase(L"C:\\Windows\\System32", L"SYSTEM"));
    EXPECT_TRUE(ContainsNoCase(L"abc", L"ABC"));
    EXPECT_TRUE(ContainsNoCase(L"abc", L"C"));
    EXPECT_TRUE(ContainsNoCase(L"abc", L"")); // an empty needle is everywhere
    EXPECT_FALSE(ContainsNoCase(L"abc", L"abcd"));
    EXPECT_FALSE(ContainsNoCase(L"", L"a"));
    EXPECT_FALSE(ContainsNoCase(L"a b", L"ab"));
}

TEST(FileNamePart, TakesTextAfterLastBackslash) {
    EXPECT_EQ(FileNamePart(L"C:\\Windows\\explorer.exe"), L"explorer.exe");
    EXPECT_EQ(FileNamePart(L"explorer.exe"), L"explorer.exe");
    EXPECT_EQ(FileNamePart(L"C:\\Windows\\"), L"");
    EXPECT_EQ(FileNamePart(L"\\"), L"");
    EXPECT_EQ(FileNamePart(L""), L"");
    // Only the backslash separates; a forward slash is part of the name.
    EXPECT_EQ(FileNamePart(L"C:\\a/b.exe"), L"a/b.exe");
}

TEST(ReplaceAll, ReplacesEveryNonOverlappingOccurrence) {
    EXPECT_EQ(ReplaceAll(L"a-b-c", L"-", L"+"), L"a+b+c");
    EXPECT_EQ(ReplaceAll(L"-a-", L"-", L""), L"a");
    EXPECT_EQ(ReplaceAll(L"aaa", L"aa", L"b"), L"ba");
    EXPECT_EQ(ReplaceAll(L"abc", L"x", L"y"), L"abc");
    EXPECT_EQ(ReplaceAll(L"", L"a", L"b"), L"");
    EXPECT_EQ(ReplaceAll(L"abc", L"", L"x"), L"abc");
    EXPECT_EQ(ReplaceAll(L"abc", L"abc", L""), L"");
}

TEST(ReplaceAll, DoesNotRescanInsertedText) {
    EXPECT_EQ(ReplaceAll(L"aa", L"a", L"aa"), L"aaaa");
    EXPECT_EQ(ReplaceAll(L"\\?\\?\\", L"\\?\\", L"\\"), L"\\?\\");
}

TEST(ReplaceAll, IsCaseSensitive) {
    EXPECT_EQ(ReplaceAll(L"aAa", L"a", L"x"), L"xAx");
}

struct LeadingNumberCase {
    const wchar_t* text;
    double expected;
};

TEST(LeadingNumber, ReadsTheNumberATextStartsWith) {
    const LeadingNumberCase cases[] = {
        {L"12abc", 12},
        {L"", 0},
        {L"abc", 0},
        {L" 7.5", 7.5},
        {L"-3", -3},
        {L"+4", 4},
        {L"\t 9 ", 9},
        {L"1.2.3", 1.2},
        {L".5", 0.5},
        {L"5.", 5},
        {L"-2.25x", -2.25},
        {L"1 2", 1},
        {L"&h100", 256},
        {L"&hFF", 255},
        {L"&Hff", 255},
        {L"  &h10", 16},
        {L"&h1fz", 31},
        {L"&h", 0},
        {L"&hZ", 0},
        {L"&", 0},
        {L"h10", 0},
        {L"x12", 0},
        {L"0015", 15},
        {L"4294967295", 4294967295.0},
        {L"&hFFFFFFFF", 4294967295.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LeadingNumber(c.text), c.expected);
    }
}

TEST(LeadingNumber, SignWithoutDigitsIsZero) {
    EXPECT_EQ(LeadingNumber(L"-"), 0);
    EXPECT_EQ(LeadingNumber(L"- 3"), 0);
    EXPECT_EQ(LeadingNumber(L"+"), 0);
    // A sign does not apply to the hexadecimal form.
    EXPECT_EQ(LeadingNumber(L"-&h10"), 0);
}

TEST(LeadingNumber, DecimalFractionsReadAsTheNearestDouble) {
    // What a user types into a seconds box must compare equal to the same literal in code.
    const wchar_t* texts[] = {L"0.3", L"0.7", L"0.009", L"1.001", L"4.35", L"2.675", L"123.456"};
    const double values[] = {0.3, 0.7, 0.009, 1.001, 4.35, 2.675, 123.456};
    for (size_t i = 0; i < std::size(texts); ++i) {
        SCOPED_TRACE(texts[i]);
        EXPECT_EQ(LeadingNumber(texts[i]), values[i]);
    }
}

TEST(LeadingNumber, OverflowingTextReadsAsZeroInEitherForm) {
    const std::wstring decimal(400, L'9');
    const std::wstring hex = L"&h" + std::wstring(300, L'F');
    EXPECT_EQ(LeadingNumber(decimal), 0);
    EXPECT_EQ(LeadingNumber(hex), 0);
    // Long but representable texts still read.
    EXPECT_EQ(LeadingNumber(L"1" + std::wstring(20, L'0')), 1e20);
    EXPECT_DOUBLE_EQ(LeadingNumber(L"0." + std::wstring(30, L'3')), 1.0 / 3);
}

TEST(ShortestNumber, WritesTheShortestTextThatReadsBack) {
    struct Case {
        double value;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {5, L"5"},
        {7.5, L"7.5"},
        {0, L"0"},
        {-0.0, L"0"},
        {-3.25, L"-3.25"},
        {0.1, L"0.1"},
        {0.1 + 0.2, L"0.3"}, // beyond 15 significant digits the binary noise is dropped
        {1.0 / 3, L"0.333333333333333"},
        {65536, L"65536"},
        {1e15, L"1000000000000000"},
        {0.0001, L"0.0001"},
        {0.00001, L"0.00001"},
        {-0.00001, L"-0.00001"},
        {1.5e-7, L"0.00000015"},
        {1e21, L"1000000000000000000000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ShortestNumber(c.value), c.expected);
    }
}

TEST(ShortestNumber, NonFiniteValuesWriteZero) {
    EXPECT_EQ(ShortestNumber(INFINITY), L"0");
    EXPECT_EQ(ShortestNumber(-INFINITY), L"0");
    EXPECT_EQ(ShortestNumber(NAN), L"0");
}

TEST(ShortestNumber, ExtremeMagnitudesAreWrittenInFull) {
    const std::wstring largest = ShortestNumber(1.7976931348623157e308);
    EXPECT_EQ(largest.size(), 309u);
    EXPECT_EQ(largest.substr(0, 6), L"179769");
    const std::wstring smallest = ShortestNumber(5e-324);
    EXPECT_EQ(smallest.substr(0, 3), L"0.0");
    EXPECT_EQ(smallest.back(), L'5');
    EXPECT_EQ(LeadingNumber(smallest), 5e-324);
}

TEST(ShortestNumber, RoundTripsThroughLeadingNumber) {
    // The options dialog saves what the user typed in this form and reads it back.
    const wchar_t* texts[] = {L"15", L"0.5", L"2.25", L"0.001", L"86400", L"-1", L"3.14159"};
    for (const wchar_t* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ShortestNumber(LeadingNumber(text)), text);
    }
}

} // namespace
} // namespace tessaly
