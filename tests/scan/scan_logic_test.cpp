#include "scan/scan_logic.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaly {
namespace {

TEST(OsVersionName, FollowsTheTable) {
    struct Case {
        uint32_t platform, major, minor, build;
        const wchar_t* name;
    };
    const Case cases[] = {
        {1, 4, 0, 950, L"Microsoft Windows 95"},
        {1, 4, 10, (4u << 24) | (10u << 16) | 1998, L"Microsoft Windows 98"},
        {1, 4, 10, 2222, L"Microsoft Windows 98 Second Edition"},
        {1, 4, 90, 3000, L"Microsoft Windows Mellinnium Edition"},
        {1, 4, 3, 0, L""},
        {2, 3, 51, 1057, L"Microsoft Windows NT 3.51"},
        {2, 4, 0, 1381, L"Microsoft Windows NT 4.0"},
        {2, 5, 0, 2195, L"Microsoft Windows 2000"},
        {2, 5, 1, 2600, L"Microsoft Windows XP"},
        {2, 5, 2, 3790, L"Microsoft Windows Sever 2003"},
        {2, 6, 0, 6002, L"Windows Vista"},
        {2, 6, 1, 7601, L"Windows 7"},
        {2, 6, 3, 9600, L"Windows 8"},
        {2, 10, 0, 19045, L""},
        {3, 10, 0, 0, L"Other"},
        {0, 3, 1, 0, L"Other"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OsVersionName(c.platform, c.major, c.minor, c.build), c.name)
            << c.platform << " " << c.major << "." << c.minor << "." << c.build;
}

TEST(ScanKey, IsThePositiveSerialAndTheStartStamp) {
    EXPECT_EQ(ScanKey(static_cast<int32_t>(0xF0E1D2C3u), 45296), L"253635901-45296");
    EXPECT_EQ(ScanKey(0, 0), L"0-0");
    EXPECT_EQ(ScanKey(static_cast<int32_t>(0x80000000u), 86399), L"0-86399");
    EXPECT_EQ(ScanKey(1234567890, 1), L"1234567890-1");
}

TEST(DistinctFiles, KeepsEachWholePathOnceIgnoringCase) {
    DistinctFiles files;
    const std::pair<const wchar_t*, bool> adds[] = {
        {L"c:\\app\\a.dll.mui", true}, {L"c:\\app\\a.dll", true},      {L"C:\\APP\\A.DLL", false},
        {L"c:\\app\\b&?[<.dll", true}, {L"c:\\app\\b&?[<.dll", false}, {L"  ", false},
        {L"c:\\app\\a", true},
    };
    for (const auto& [path, added] : adds)
        EXPECT_EQ(files.Add(path), added) << path;
    EXPECT_EQ(files.Paths(), (std::vector<std::wstring>{L"c:\\app\\a.dll.mui", L"c:\\app\\a.dll",
                                                        L"c:\\app\\b&?[<.dll", L"c:\\app\\a"}));
}

TEST(ScanRecord, JoinsEightFieldsWithTheFieldsCleaned) {
    ScanFile file;
    file.path = L"c:\\p&q\\x[1].exe";
    file.fields = {L"Acme & Sons", L"", L"1.0 <beta>", L""};
    file.size = L"1025";
    file.digest = L"D41D8CD98F00B204E9800998ECF8427E";
    file.system = L"Windows 7";
    EXPECT_EQ(ScanRecord(file), L"x[1].exe<Acme   Sons<unknown product<1.0 beta><1025<c:\\p q\\x1]."
                                L"exe<D41D8CD98F00B204E9800998ECF8427E<Windows 7");
}

TEST(BatchAddress, SendsRecordsAsOneEncodedValue) {
    EXPECT_EQ(BatchAddress(L"http://h/", {L"a<b", L"c\u00AE<d"}, L"1-2"),
              L"http://h/prox.asp?files=a%3Cb%7Cc%3Cd%7C&p=5&s=2&sn=1-2");
    const std::pair<size_t, size_t> counts[] = {{0, 0}, {1, 1}, {5, 1}, {6, 2}, {12, 3}};
    for (const auto& [files, requests] : counts)
        EXPECT_EQ(BatchCount(files), requests) << files;
}

TEST(Batches, SendEveryRecordOnceInFivesOrLessWhenLong) {
    const std::wstring base = L"http://127.0.0.1:47311/";
    auto record = [](wchar_t name, size_t pathLength, wchar_t letter = L'a') {
        return std::wstring(1, name) + L"<c<p<1<2<" + std::wstring(pathLength, letter) + L"<D<W";
    };
    struct Case {
        size_t max;
        std::vector<std::wstring> records;
        std::vector<std::vector<size_t>> requests; // which records each request carries
    };
    std::vector<std::wstring> twelve;
    for (wchar_t c = L'a'; c < L'a' + 12; ++c)
        twelve.push_back(record(c, 3));
    // Each CJK character is nine bytes in the address.
    const std::vector<std::wstring> wide = {record(L'a', 40, L'\u6587'),
                                            record(L'b', 40, L'\u6587'),
                                            record(L'c', 40, L'\u6587'),
                                            record(L'd', 2),
                                            record(L'e', 2),
                                            record(L'f', 2)};
    const Case cases[] = {
        {kMaxRequestLine, twelve, {{0, 1, 2, 3, 4}, {5, 6, 7, 8, 9}, {10, 11}}},
        {kMaxRequestLine, {record(L'a', 1)}, {{0}}},
        {kMaxRequestLine, {}, {}},
        {kMaxRequestLine, wide, {{0, 1, 2, 3, 4}, {5}}},
        // A wide record is 391 bytes, a short one 33, the rest of a request line 69.
        {900, wide, {{0, 1}, {2, 3, 4, 5}}},
        {480, wide, {{0}, {1}, {2}, {3, 4, 5}}},
    };
    for (const Case& c : cases) {
        Batches batches(base, L"1-2", c.max);
        std::vector<std::wstring> sent;
        for (const std::wstring& r : c.records)
            for (std::wstring& address : batches.Add(r))
                sent.push_back(std::move(address));
        if (auto rest = batches.Finish())
            sent.push_back(std::move(*rest));
        EXPECT_FALSE(batches.Finish());
        std::vector<std::wstring> expected;
        for (const auto& request : c.requests) {
            std::vector<std::wstring> records;
            for (size_t i : request)
                records.push_back(c.records[i]);
            expected.push_back(BatchAddress(base, records, L"1-2"));
        }
        EXPECT_EQ(sent, expected) << c.max << " " << c.records.size();
        for (const std::wstring& address : sent)
            EXPECT_LE(address.size() + 15, c.max);
    }
}

TEST(Batches, CutTheMiddleOfAPathTooLongForARequestOfItsOwn) {
    // A path of CJK characters and surrogate pairs, ending in the file's name.
    std::wstring path = L"c:\\";
    for (int i = 0; i < 8000; ++i)
        path += i % 2 ? L"\u6587" : L"\U0001F600";
    path += L"\\name.dll";
    const std::wstring record =
        L"name.dll<c<p<1<2<" + path + L"<D41D8CD98F00B204E9800998ECF8427E<W";
    const std::wstring base = L"http://127.0.0.1:47311/";
    Batches batches(base, L"1-2");
    EXPECT_TRUE(batches.Add(L"a<c<p<1<2<c:\\a.dll<D<W").empty());
    // The long record goes alone, after the one before it.
    const std::vector<std::wstring> sent = batches.Add(record);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], BatchAddress(base, {L"a<c<p<1<2<c:\\a.dll<D<W"}, L"1-2"));
    const std::wstring alone = *batches.Finish();
    EXPECT_LE(alone.size() + 15, kMaxRequestLine);
    EXPECT_GT(alone.size() + 15, kMaxRequestLine - 64);
    const std::wstring encoded = PercentEncode(record);
    const std::wstring front = encoded.substr(0, 300), back = encoded.substr(encoded.size() - 300);
    EXPECT_NE(alone.find(front), std::wstring::npos);
    EXPECT_NE(alone.find(back), std::wstring::npos); // the name and digest
    EXPECT_NE(alone.find(L"%E2%80%A6"), std::wstring::npos);
    // No half of a surrogate pair: its encoding would be EF BF BD.
    EXPECT_EQ(alone.find(L"%EF%BF%BD"), std::wstring::npos);
}

TEST(ResponseBody, IsTheTextInsideTheBodyElement) {
    const std::pair<const char*, const char*> cases[] = {
        {"<html><body>a1:b0</body></html>", "a1:b0"},
        {"<HTML><BODY class=\"x\">\r\na1\r\n</BODY>", "\r\na1\r\n"},
        {"a1:b2", "a1:b2"},
        {"<bodyx>a1</bodyx>", "<bodyx>a1</bodyx>"},
        {"<body>a1", "a1"},
        {"<body", "<body"},
        {"", ""},
    };
    for (const auto& [page, body] : cases)
        EXPECT_EQ(ResponseBody(page), body) << page;
}

TEST(WarningItems, ReadsTheLastDigitOfTheFirstFiveItems) {
    using Items = std::vector<std::string>;
    const std::pair<const char*, Items> cases[] = {
        {"a1:b0:c6:d:e5", {"a1", "e5"}},
        {"x.exe=3", {"x.exe=3"}},
        {"x.exe=7", {}},
        {"a0:b0:c0:d0:e0:f1", {}},
        {"a2\r\n", {"a2"}},
        {" a=1 : b=4\n:c", {"a=1", "b=4"}},
        {"", {}},
        {"::::", {}},
        {"a1:", {"a1"}},
    };
    for (const auto& [body, items] : cases)
        EXPECT_EQ(WarningItems(body), items) << body;
}

TEST(RetryDelay, HonoursRetryAfterUpToAMinuteThenGivesUp) {
    EXPECT_EQ(RetryDelay(0, std::nullopt), 2u);
    EXPECT_EQ(RetryDelay(1, std::nullopt), 4u);
    EXPECT_EQ(RetryDelay(2, std::nullopt), 8u);
    EXPECT_EQ(RetryDelay(3, std::nullopt), std::nullopt);
    EXPECT_EQ(RetryDelay(0, L"5"), 5u);
    EXPECT_EQ(RetryDelay(0, L"600"), 60u);
    EXPECT_EQ(RetryDelay(0, L"99999999999999999999"), 60u);
    EXPECT_EQ(RetryDelay(1, L"Wed, 21 Oct 2015 07:28:00 GMT"), 4u);
    EXPECT_EQ(RetryDelay(3, L"1"), std::nullopt);
    EXPECT_EQ(BusyStatus(4), L"Server busy, trying again in 4 s");
}

TEST(RunEndMessage, SaysDangerSafetyOrWhyNothingWasChecked) {
    const std::wstring tail =
        L"\r\r To Read The Full Report Please Click --->\"See the results of Security check\" Link";
    EndMessage m = RunEndMessage(2, std::nullopt);
    EXPECT_EQ(m.text, L"You have dangerous file running in your system" + tail);
    EXPECT_TRUE(m.critical);
    m = RunEndMessage(0, std::nullopt);
    EXPECT_EQ(m.text, L"Your System process files are safe" + tail);
    EXPECT_FALSE(m.critical || m.warningIcon);
    m = RunEndMessage(0, FailureReason(FetchError::Status, 500, L""));
    EXPECT_EQ(m.text, L"The security check could not reach the lookup server.\r\rThe server "
                      L"answered with status 500. Your files were not checked; please try again "
                      L"later.");
    EXPECT_TRUE(m.warningIcon);
    // A warning already read still decides the box.
    EXPECT_TRUE(RunEndMessage(1, L"x").critical);
}

} // namespace
} // namespace tessaly
