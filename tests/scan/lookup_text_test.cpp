#include "scan/lookup_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaly {
namespace {

TEST(DigestText, TwoUpperCaseDigitsPerByte) {
    const unsigned char bytes[] = {0x0A, 0x00, 0xFF, 0xd4, 0x1d};
    EXPECT_EQ(DigestText(bytes, 5), L"0A00FFD41D");
    EXPECT_EQ(DigestText(bytes, 0), L"");
}

TEST(CleanFields, AppliesTheStepsInOrder) {
    struct Case {
        FileFields in, out;
    };
    const Case cases[] = {
        {{L"Acme & Sons [EU]", L"Tool", L"1.0", L"c:\\a.exe"},
         {L"Acme   Sons EU]", L"Tool", L"1.0", L"c:\\a.exe"}},
        // The cut comes before deletions, so the result may be shorter than 20.
        {{L"A", L"B", L"1.2.3.4 [build?<abc>]x", L"p"}, {L"A", L"B", L"1.2.3.4 buildabc>", L"p"}},
        {{L"TODO: <Company name>", L"TODO: <Product name>", L"", L""},
         {L"unknown Company", L"unknown Product", L"", L""}},
        {{L"", L"TODO: <File description>", L"", L""},
         {L"unknown company", L"unknown Product", L"", L""}},
        {{L" ? ", L"  ", L"", L""}, {L"unknown company", L"unknown product", L"", L""}},
        {{L"?x", L"a|b", L"", L"\\\\?\\C:\\x|y<z.dll"}, {L"x", L"ab", L"", L"\\\\\\C:\\xyz.dll"}},
        // Case matters in the placeholders.
        {{L"todo: <company name>", L"P", L"", L""}, {L"todo: company name>", L"P", L"", L""}},
    };
    for (const Case& c : cases) {
        const FileFields got = CleanFields(c.in);
        EXPECT_EQ(got.company, c.out.company) << c.in.company;
        EXPECT_EQ(got.product, c.out.product) << c.in.product;
        EXPECT_EQ(got.version, c.out.version) << c.in.version;
        EXPECT_EQ(got.path, c.out.path) << c.in.path;
    }
}

TEST(PercentEncode, EncodesAllButUnreservedAsUtf8) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"Az09-._~", L"Az09-._~"},
        {L"a&b#c|d<e f?g=h%", L"a%26b%23c%7Cd%3Ce%20f%3Fg%3Dh%25"},
        {L"C:\\Program Files\\x.exe", L"C%3A%5CProgram%20Files%5Cx.exe"},
        {L"\u00E9\u00AE", L"%C3%A9%C2%AE"},
        {L"\u65E5", L"%E6%97%A5"},
        {L"", L""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(PercentEncode(in), out);
}

TEST(LookupBaseUrl, TakesOnlyAbsoluteWebAddresses) {
    const std::pair<std::optional<std::wstring>, std::wstring> cases[] = {
        {std::nullopt, L"http://127.0.0.1:47311/"},
        {L"http://h:1/x/", L"http://h:1/x/"},
        {L"http://h:1/x", L"http://h:1/x/"},
        {L" HTTPS://example.org ", L"HTTPS://example.org/"},
        {L"", L"http://127.0.0.1:47311/"},
        {L"ftp://h/", L"http://127.0.0.1:47311/"},
        {L"h:1/x/", L"http://127.0.0.1:47311/"},
        {L"http://", L"http://127.0.0.1:47311/"},
        {L"http:///x", L"http://127.0.0.1:47311/"},
        {L"file:///c:/windows/", L"http://127.0.0.1:47311/"},
        {L"http://h/?a=1", L"http://127.0.0.1:47311/"},
        {L"http://h/\" x", L"http://127.0.0.1:47311/"},
    };
    for (const auto& [setting, base] : cases)
        EXPECT_EQ(LookupBaseUrl(setting), base) << setting.value_or(L"(none)");
}

TEST(Addresses, AreTheBaseWithTheirPathAndEncodedValues) {
    const std::wstring base = L"http://h:1/x/";
    const LookupFile file{L"a&b.exe", L"1024", L"Acme & Sons",     L"",
                          L"1.0 #2",  L"0A1B", L"c:\\a b\\a&b.exe"};
    EXPECT_EQ(ProcessLookupAddress(base, file),
              L"http://h:1/x/info.asp?fname=a%26b.exe&sz=1024&faname=Acme%20%20%20Sons"
              L"&fdesc=unknown%20product&ver=1.0%20%232&md=0A1B&pth=c%3A%5Ca%20b%5Ca%20b.exe");
    const LookupFile startup{L"s.exe", L"", L"?", L"Desc & more", L"1|2", L"ignored", L"ignored"};
    EXPECT_EQ(StartupLookupAddress(base, startup),
              L"http://h:1/x/info.asp?fname=s.exe&sz=&faname=%3F&fdesc=Desc%20%26%20more"
              L"&ver=1%7C2&s=2");
    EXPECT_EQ(PrivacyAddress(base), L"http://h:1/x/priv.html");
    EXPECT_EQ(ReportAddress(base, L"253635901-86399"),
              L"http://h:1/x/scanresult.asp?sr=253635901-86399");
    EXPECT_EQ(SetupAddress(base), L"http://h:1/x/tessaly.exe");
    EXPECT_TRUE(IsOpenableAddress(SupportMailAddress()));
}

TEST(Addresses, ProcessLookupCutsTheMiddleOfAPathTooLongForTheShell) {
    const std::wstring base = L"http://127.0.0.1:47311/";
    const std::wstring digest = L"D41D8CD98F00B204E9800998ECF8427E";
    struct Case {
        std::wstring folder;
        bool cut;
    };
    const Case cases[] = {
        {L"c:\\program files\\app", false},
        {L"c:\\" + std::wstring(50, L'\u6587'), false}, // 450 bytes encoded
        {L"c:\\" + std::wstring(230, L'\u6587'), true}, // 2 KB
        {L"c:\\" + std::wstring(20000, L'x'), true},
        {L"c:\\" + std::wstring(300, L'\U0001F600'), true}, // surrogate pairs
    };
    for (const Case& c : cases) {
        const std::wstring path = c.folder + L"\\tool.exe";
        const std::wstring address = ProcessLookupAddress(
            base, {L"tool.exe", L"42", L"Acme", L"Tool", L"1.0", digest, path});
        EXPECT_TRUE(IsOpenableAddress(address)) << address.size();
        const std::wstring encodedPath = PercentEncode(path);
        EXPECT_EQ(address.find(L"%E2%80%A6") != std::wstring::npos, c.cut) << address.size();
        if (!c.cut) {
            EXPECT_TRUE(address.ends_with(L"&pth=" + encodedPath));
            continue;
        }
        EXPECT_GT(address.size(), kMaxOpenAddress - 30);
        EXPECT_TRUE(address.starts_with(base +
                                        L"info.asp?fname=tool.exe&sz=42&faname=Acme&fdesc="
                                        L"Tool&ver=1.0&md=" +
                                        digest + L"&pth=c%3A%5C"));
        EXPECT_TRUE(address.ends_with(encodedPath.substr(encodedPath.size() - 60)));
        EXPECT_EQ(address.find(L"%EF%BF%BD"), std::wstring::npos); // no half of a pair
    }
    EXPECT_FALSE(IsOpenableAddress(base + std::wstring(kMaxOpenAddress, L'x')));
}

TEST(CountryAddress, KeepsPunctuationAndEncodesWhatWouldBreakTheAddress) {
    ASSERT_EQ(kCountries.size(), 243u);
    EXPECT_EQ(std::wstring(kCountries.front()), L"Afghanistan");
    EXPECT_EQ(std::wstring(kCountries[53]), L"Cote d'Ivoire");
    EXPECT_EQ(std::wstring(kCountries.back()), L"Zimbabwe");
    const std::wstring base = L"http://h/";
    EXPECT_EQ(CountryAddress(base, L"Cote d'Ivoire"),
              L"http://h/countries/Cote d'Ivoire-overview.html");
    EXPECT_EQ(CountryAddress(base, L"Congo, Republic of the"),
              L"http://h/countries/Congo, Republic of the-overview.html");
    EXPECT_EQ(CountryAddress(base, L"Cocos (Keeling) Islands"),
              L"http://h/countries/Cocos (Keeling) Islands-overview.html");
    EXPECT_EQ(CountryAddress(base, L"S?o Tom\u00E9 and Pr?ncipe"),
              L"http://h/countries/S%3Fo Tom%C3%A9 and Pr%3Fncipe-overview.html");
    EXPECT_EQ(CountryAddress(base, L"a#b%c"), L"http://h/countries/a%23b%25c-overview.html");
    for (const wchar_t* country : kCountries)
        EXPECT_TRUE(IsOpenableAddress(CountryAddress(base, country))) << country;
}

TEST(IsOpenableAddress, AllowsOnlyWebAndMailAddresses) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"http://h/x", true},
        {L"HTTPS://h/", true},
        {L"mailto:a@b.c", true},
        {L"mailto:", false},
        {L"file:///c:/x.exe", false},
        {L"c:\\windows\\notepad.exe", false},
        {L"javascript:alert(1)", false},
        {L"http:", false},
        {L"http://h/\" -x", false},
        {L"http://h/a\r\nb", false},
        {L"", false},
        {L"\\\\server\\share\\x.exe", false},
    };
    for (const auto& [address, ok] : cases)
        EXPECT_EQ(IsOpenableAddress(address), ok) << address;
}

} // namespace
} // namespace tessaly
