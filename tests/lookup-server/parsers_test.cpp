#include "html.h"
#include "query.h"
#include "rate_limiter.h"
#include "records.h"
#include "verdict_csv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lookup {
namespace {

TEST(Query, DecodesPercentEscapesAndKeepsPlusAndBrokenEscapes) {
    struct Case {
        const char* query;
        const char* key;
        const char* value; // nullptr: absent
    } cases[] = {
        {"files=a%3Cb%7C&sn=1-2", "files", "a<b|"},
        {"files=a%3cb", "files", "a<b"},                   // lower-case hex
        {"fname=notepad++.exe", "fname", "notepad++.exe"}, // "+" is not a space
        {"fname=a%20b", "fname", "a b"},
        {"fname=100%&x=1", "fname", "100%"}, // a lone "%" stays
        {"fname=%4", "fname", "%4"},
        {"fname=%G1", "fname", "%G1"},
        {"fname=%C3%A9", "fname", "\xC3\xA9"},
        {"a=1&a=2", "a", "1"}, // the first value counts
        {"s&md=X", "s", ""},
        {"&&md=X&", "md", "X"},
        {"md=X", "fname", nullptr},
        {"", "md", nullptr},
    };
    for (const Case& c : cases) {
        const auto value = FindParam(ParseQuery(c.query), c.key);
        if (c.value == nullptr)
            EXPECT_FALSE(value) << c.query;
        else
            EXPECT_EQ(value.value_or("<absent>"), c.value) << c.query;
    }
    EXPECT_EQ(PercentEncode("a<b|c d+\xC3\xA9~"), "a%3Cb%7Cc%20d%2B%C3%A9~");
    std::string every_byte;
    for (int b = 0; b < 256; ++b)
        every_byte.push_back(static_cast<char>(b));
    EXPECT_EQ(PercentDecode(PercentEncode(every_byte)), every_byte);
    EXPECT_EQ(QueryOf("/prox.asp?files=a?b"), "files=a?b");
    EXPECT_EQ(QueryOf("/priv.html"), "");
}

TEST(Batch, SplitsRecordsAndFieldsInOrder) {
    const Batch batch =
        ParseBatch("a.exe<Acme<Tool<1.0<42<c:\\a.exe<d41d8cd98f00b204e9800998ecf8427e<"
                   "Windows 7|b.dll<<<<<c:\\b.dll<<Windows 7|short<x|");
    ASSERT_EQ(batch.error, BatchError::None);
    ASSERT_EQ(batch.records.size(), 3u);
    const FileRecord& a = batch.records[0];
    EXPECT_EQ(a.name, "a.exe");
    EXPECT_EQ(a.company, "Acme");
    EXPECT_EQ(a.product, "Tool");
    EXPECT_EQ(a.version, "1.0");
    EXPECT_EQ(a.size, "42");
    EXPECT_EQ(a.path, "c:\\a.exe");
    EXPECT_EQ(a.md5, "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(a.system, "Windows 7");
    EXPECT_FALSE(a.malformed);
    EXPECT_EQ(batch.records[1].md5, ""); // an empty digest stays empty
    EXPECT_EQ(batch.records[1].path, "c:\\b.dll");
    EXPECT_TRUE(batch.records[2].malformed);
    EXPECT_EQ(batch.records[2].name, "short");
    EXPECT_EQ(batch.records[2].raw, "short<x");
}

TEST(Batch, CountsRecordsWithAndWithoutTheLastBar) {
    struct Case {
        std::string files;
        BatchError error;
        size_t records;
    } cases[] = {
        {"", BatchError::Empty, 0},
        {"|", BatchError::Empty, 0},
        {"a", BatchError::None, 1},
        {"a|", BatchError::None, 1},
        {"a||", BatchError::None, 2}, // an empty record in the middle
                                      // is a malformed one
        {"a|b", BatchError::None, 2},
    };
    for (const Case& c : cases) {
        const Batch batch = ParseBatch(c.files);
        EXPECT_EQ(batch.error, c.error) << c.files;
        EXPECT_EQ(batch.records.size(), c.records) << c.files;
    }
    std::string hundred, hundred_and_one;
    for (int i = 0; i < 100; ++i)
        hundred += "x|";
    hundred_and_one = hundred + "x|";
    EXPECT_EQ(ParseBatch(hundred).records.size(), 100u);
    EXPECT_EQ(ParseBatch(hundred_and_one).error, BatchError::TooMany);
}

TEST(Digest, AcceptsOnlyThirtyTwoHexDigitsInEitherCase) {
    EXPECT_EQ(NormalizeDigest("d41d8cd98f00b204e9800998ecf8427e"),
              "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(NormalizeDigest(" D41D8CD98F00B204E9800998ECF8427E\t"),
              "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(NormalizeDigest("D41D8CD98F00B204E9800998ECF8427"), "");
    EXPECT_EQ(NormalizeDigest("D41D8CD98F00B204E9800998ECF8427EE"), "");
    EXPECT_EQ(NormalizeDigest("G41D8CD98F00B204E9800998ECF8427E"), "");
    EXPECT_EQ(NormalizeDigest(""), "");
}

TEST(ScanKey, IsDigitsDashDigits) {
    for (const char* good : {"1234567890-45296", "0-0", "253635901-86399"})
        EXPECT_TRUE(IsScanKey(good)) << good;
    for (const char* bad :
         {"", "-", "1-", "-1", "a-1", "1-2-3", "1 -2", "12345678901-1", "1-123456", "1-2<script>"})
        EXPECT_FALSE(IsScanKey(bad)) << bad;
}

TEST(Csv, FollowsRfc4180Quoting) {
    const auto records = SplitCsv("\xEF\xBB\xBF"
                                  "a,b\r\n"
                                  "\"x,y\",\"say \"\"hi\"\"\"\n"
                                  "\n"
                                  "\"two\nlines\",\n"
                                  "last,\"\"");
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].fields, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(records[1].fields, (std::vector<std::string>{"x,y", "say \"hi\""}));
    EXPECT_EQ(records[2].fields, (std::vector<std::string>{"two\nlines", ""}));
    EXPECT_EQ(records[2].line, 4u);
    EXPECT_EQ(records[3].fields, (std::vector<std::string>{"last", ""}));
    EXPECT_EQ(records[3].line, 6u);
    for (const auto& r : records)
        EXPECT_EQ(r.error, "");
}

TEST(VerdictCsv, ImportsGoodLinesAndReportsBadOnesByNumber) {
    const VerdictTable table =
        ParseVerdictCsv("MD5, Verdict ,name,note\n"
                        "d41d8cd98f00b204e9800998ecf8427e,6,Empty,\n"               // 2
                        "0123456789abcdef0123456789abcdef,3,\"Trojan, demo\",\"a\n" // 3
                        "b\"\n"                                           // 4 (same record)
                        "nothex,1,x,y\n"                                  // 5
                        "0123456789ABCDEF0123456789ABCDEF,12,x,y\n"       // 6
                        "0123456789ABCDEF0123456789ABCDEF,2,x\n"          // 7
                        "0123456789ABCDEF0123456789ABCDEF,2,\"x\"y,z\n"   // 8
                        "0123456789ABCDEF0123456789ABCDEF,2,x\"y,z\n"     // 9
                        "D41D8CD98F00B204E9800998ECF8427E,4,Later,wins\n" // 10
                        "00000000000000000000000000000000,1,\"\xFF\",z\n" // 11
                        "11111111111111111111111111111111,\"5\",quoted,\"never closed\n");
    EXPECT_TRUE(table.header_ok);
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0].md5, "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(table.rows[0].verdict, 4);
    EXPECT_EQ(table.rows[0].name, "Later");
    EXPECT_EQ(table.rows[1].md5, "0123456789ABCDEF0123456789ABCDEF");
    EXPECT_EQ(table.rows[1].verdict, 3);
    EXPECT_EQ(table.rows[1].name, "Trojan, demo");
    EXPECT_EQ(table.rows[1].note, "a\nb");
    std::vector<size_t> lines;
    for (const CsvProblem& p : table.problems)
        lines.push_back(p.line);
    EXPECT_EQ(lines, (std::vector<size_t>{5, 6, 7, 8, 9, 11, 12}));
}

TEST(VerdictCsv, RefusesAFileWithoutItsHeader) {
    for (const char* text : {"", "d41d8cd98f00b204e9800998ecf8427e,6,Empty,\n",
                             "md5,verdict,name\n", "md5,verdict,name,note,extra\n"}) {
        const VerdictTable table = ParseVerdictCsv(text);
        EXPECT_FALSE(table.header_ok) << text;
        EXPECT_TRUE(table.rows.empty()) << text;
        ASSERT_EQ(table.problems.size(), 1u) << text;
        EXPECT_EQ(table.problems[0].line, 1u);
    }
}

TEST(Escape, MakesTextInertInElementsAndAttributes) {
    struct Case {
        const char* text;
        const char* html;
    } cases[] = {
        {"q\" onmouseover=\"x", "q&quot; onmouseover=&quot;x"},
        {"Acme & Sons", "Acme &amp; Sons"},
        {"<script>'</script>", "&lt;script&gt;&#39;&lt;/script&gt;"},
        {"C:\\Program Files\\\xC3\xA9t\xC3\xA9.exe", "C:\\Program Files\\\xC3\xA9t\xC3\xA9.exe"},
        {"a\xFF"
         "b",
         "a\xEF\xBF\xBD"
         "b"},                                                    // not UTF-8
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                 // overlong "/"
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}, // a surrogate
        {"a\tb\x01", "a[U+0009]b[U+0001]"},
        {"evil\xE2\x80\xAE"
         "exe.txt",
         "evil[U+202E]exe.txt"}, // right-to-left override
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EscapeHtml(c.text), c.html) << c.text;
}

TEST(RateLimiter, LetsAMinutesAllowanceThroughThenAsksToWait) {
    RateLimiter limiter(60); // one a second
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(limiter.Take("a", 100.0), 0) << i;
    EXPECT_EQ(limiter.Take("a", 100.0), 1);
    EXPECT_EQ(limiter.Take("b", 100.0), 0); // each client has its own allowance
    EXPECT_EQ(limiter.Take("a", 101.0), 0); // refilled one
    EXPECT_EQ(limiter.Take("a", 101.0), 1);

    RateLimiter slow(2); // one each 30 s
    EXPECT_EQ(slow.Take("a", 0.0), 0);
    EXPECT_EQ(slow.Take("a", 0.0), 0);
    EXPECT_EQ(slow.Take("a", 0.0), 30);
    EXPECT_EQ(slow.Take("a", 20.0), 10);

    RateLimiter unlimited(0);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(unlimited.Take("a", 0.0), 0);
}

} // namespace
} // namespace lookup
