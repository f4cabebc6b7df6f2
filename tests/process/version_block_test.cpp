// The version block reader against blocks laid out the way resource compilers write them, and
// against every way such a block can be cut or damaged.
#include "process/file_info_record.h"
#include "process/version_block.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using Bytes = std::vector<uint8_t>;

void PutWord(Bytes& out, size_t at, uint16_t word) {
    out[at] = static_cast<uint8_t>(word & 0xFF);
    out[at + 1] = static_cast<uint8_t>(word >> 8);
}

void AppendUnits(Bytes& out, std::u16string_view text) {
    for (const char16_t unit : text) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
}

void PadTo4(Bytes& out) {
    while (out.size() % 4 != 0)
        out.push_back(0);
}

// One node: header, NUL-terminated key, padding, value, padding, children (each started on a
// 4-byte boundary). wLength covers everything but the padding after the last child, as the
// resource compilers write it.
Bytes Node(std::u16string_view key, uint16_t type, uint16_t valueLength, const Bytes& value,
           const std::vector<Bytes>& children = {}) {
    Bytes out(6, 0);
    AppendUnits(out, key);
    AppendUnits(out, std::u16string_view(u"\0", 1));
    PadTo4(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        PadTo4(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    PutWord(out, 0, static_cast<uint16_t>(out.size()));
    PutWord(out, 2, valueLength);
    PutWord(out, 4, type);
    return out;
}

// A String entry; wValueLength counts UTF-16 units with the terminating NUL.
Bytes String(std::u16string_view key, std::u16string_view text) {
    Bytes value;
    AppendUnits(value, text);
    AppendUnits(value, std::u16string_view(u"\0", 1));
    return Node(key, 1, static_cast<uint16_t>(text.size() + 1), value);
}

Bytes Table(std::u16string_view name, const std::vector<Bytes>& strings) {
    return Node(name, 1, 0, {}, strings);
}

Bytes StringFileInfo(const std::vector<Bytes>& tables) {
    return Node(u"StringFileInfo", 1, 0, {}, tables);
}

Bytes VarFileInfo() {
    const Bytes translation = {0x09, 0x04, 0xB0, 0x04};
    return Node(u"VarFileInfo", 1, 0, {}, {Node(u"Translation", 0, 4, translation)});
}

// The root with its VS_FIXEDFILEINFO (52 bytes, signature first).
Bytes VersionInfo(const std::vector<Bytes>& children) {
    Bytes fixed(52, 0);
    fixed[0] = 0xBD, fixed[1] = 0x04, fixed[2] = 0xEF, fixed[3] = 0xFE;
    return Node(u"VS_VERSION_INFO", 0, 52, fixed, children);
}

VersionStrings Scan(const Bytes& block) {
    return ScanVersionBlock(block.data(), block.size());
}

std::wstring W(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::vector<std::wstring> Fields(const VersionStrings& s) {
    return {s.Comments,         s.BuildID,      s.LegalCopyright, s.ProductVersion,  s.ProductName,
            s.OriginalFilename, s.InternalName, s.FileVersion,    s.FileDescription, s.CompanyName};
}

// An English table with all ten keys, then a German one that overrides some of them.
Bytes EnglishTable() {
    return Table(u"040904B0",
                 {String(u"Comments", u"Note"), String(u"BuildID", u"B7"),
                  String(u"LegalCopyright", u"(c) Orvix"), String(u"ProductVersion", u"2.0"),
                  String(u"ProductName", u"Tessaly"), String(u"OriginalFilename", u"tool.exe"),
                  String(u"InternalName", u"tool"), String(u"FileVersion", u"2.0.1"),
                  String(u"FileDescription", u"Tool"), String(u"CompanyName", u"Orvix")});
}

Bytes GermanTable() {
    return Table(u"040704B0", {String(u"CompanyName", u"Orvix GmbH"),
                               String(u"FileDescription", u"Werkzeug f\u00fcr \u65e5\u672c"),
                               String(u"ProductVersion", u"2.0 DE")});
}

const Bytes& TwoLanguageBlock() {
    static const Bytes block =
        VersionInfo({StringFileInfo({EnglishTable(), GermanTable()}), VarFileInfo()});
    return block;
}

TEST(ScanVersionBlock, ReadsEveryKeyAndLetsTheLastTableWin) {
    const VersionStrings s = Scan(TwoLanguageBlock());
    EXPECT_EQ(s.CompanyName, L"Orvix GmbH");
    EXPECT_EQ(s.FileDescription, W(u"Werkzeug f\u00fcr \u65e5\u672c"));
    EXPECT_EQ(s.ProductVersion, L"2.0 DE");
    // Keys the German table lacks keep the English values.
    EXPECT_EQ(s.Comments, L"Note");
    EXPECT_EQ(s.BuildID, L"B7");
    EXPECT_EQ(s.LegalCopyright, L"(c) Orvix");
    EXPECT_EQ(s.ProductName, L"Tessaly");
    EXPECT_EQ(s.OriginalFilename, L"tool.exe");
    EXPECT_EQ(s.InternalName, L"tool");
    EXPECT_EQ(s.FileVersion, L"2.0.1");
}

TEST(ScanVersionBlock, MatchesKeysExactlyAndOnlyInsideStringTables) {
    const Bytes block = VersionInfo({
        // Neither a string table nor StringFileInfo: ignored.
        String(u"CompanyName", u"root"),
        Node(u"stringfileinfo", 1, 0, {}, {Table(u"040904B0", {String(u"Comments", u"x")})}),
        Node(u"VarFileInfo", 1, 0, {},
             {Table(u"040904B0", {String(u"FileVersion", u"in VarFileInfo")})}),
        StringFileInfo(
            {Table(u"040904B0",
                   {String(u"companyname", u"lower"), String(u"OriginalFileName", u"capital N"),
                    String(u"ProductName ", u"trailing blank"), String(u"Product", u"prefix"),
                    String(u"InternalName", u"kept")})}),
    });
    VersionStrings expected;
    expected.InternalName = L"kept";
    EXPECT_EQ(Fields(Scan(block)), Fields(expected));
}

TEST(ScanVersionBlock, ReadsAnyLanguageAndSeveralStringFileInfoBlocks) {
    const Bytes block = VersionInfo({
        StringFileInfo({Table(u"041104B0", {String(u"CompanyName", u"first")})}),
        VarFileInfo(),
        StringFileInfo({Table(u"000004E4", {String(u"CompanyName", u"second")}),
                        Table(u"garbage name", {String(u"BuildID", u"42")})}),
    });
    const VersionStrings s = Scan(block);
    EXPECT_EQ(s.CompanyName, L"second");
    EXPECT_EQ(s.BuildID, L"42");
}

TEST(ScanVersionBlock, DecodesEachUtf16UnitAsOneCharacter) {
    // A surrogate pair and a lone surrogate come back unit for unit on every platform.
    const std::u16string text = u"M\u00fcller \u65e5\u672c \xD83D\xDE00 \xDC00";
    const VersionStrings s =
        Scan(VersionInfo({StringFileInfo({Table(u"040904B0", {String(u"Comments", text)})})}));
    ASSERT_EQ(s.Comments.size(), text.size());
    for (size_t i = 0; i < text.size(); ++i)
        EXPECT_EQ(static_cast<uint32_t>(s.Comments[i]), static_cast<uint32_t>(text[i])) << i;
}

TEST(ScanVersionBlock, CutsValuesAtTheFirstNulAndHonoursTheValueLength) {
    Bytes bytesCounted;
    AppendUnits(bytesCounted, std::u16string_view(u"bytes\0", 6));
    Bytes shortLength;
    AppendUnits(shortLength, std::u16string_view(u"abcdef\0", 7));
    const Bytes block = VersionInfo({StringFileInfo({Table(
        u"040904B0", {String(u"Comments", std::u16string_view(u"before\0after", 12)),
                      // Some writers count bytes in wValueLength; the NUL still ends the text.
                      Node(u"BuildID", 1, static_cast<uint16_t>(bytesCounted.size()), bytesCounted),
                      // wValueLength shorter than the text: the text is cut there.
                      Node(u"FileVersion", 1, 3, shortLength),
                      // An empty value with no bytes at all.
                      Node(u"ProductName", 1, 0, {}), String(u"CompanyName", u"")})})});
    const VersionStrings s = Scan(block);
    EXPECT_EQ(s.Comments, L"before");
    EXPECT_EQ(s.BuildID, L"bytes");
    EXPECT_EQ(s.FileVersion, L"abc");
    EXPECT_EQ(s.ProductName, L"");
    EXPECT_EQ(s.CompanyName, L"");
}

// Whatever a cut-off block yields must be a value the whole block holds somewhere, never a
// cut-off text; ASan and UBSan watch every read.
TEST(ScanVersionBlock, EveryPrefixOfAValidBlockIsReadSafely) {
    const Bytes& whole = TwoLanguageBlock();
    const auto english = Fields(Scan(VersionInfo({StringFileInfo({EnglishTable()})})));
    const auto full = Fields(Scan(whole));
    size_t lastCount = 0;
    for (size_t length = 0; length <= whole.size(); ++length) {
        // A copy of exactly `length` bytes, so reading past it is an ASan error.
        const Bytes prefix(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(length));
        const auto found = Fields(ScanVersionBlock(prefix.data(), prefix.size()));
        size_t count = 0;
        for (size_t i = 0; i < found.size(); ++i) {
            if (found[i].empty())
                continue;
            ++count;
            EXPECT_TRUE(found[i] == english[i] || found[i] == full[i])
                << "length " << length << " field " << i;
        }
        EXPECT_GE(count, lastCount) << "length " << length;
        lastCount = count;
    }
    EXPECT_EQ(lastCount, 10u);
}

TEST(ScanVersionBlock, StopsAtDamagedLengths) {
    const Bytes table = Table(u"040904B0", {String(u"Comments", u"one"), String(u"BuildID", u"two"),
                                            String(u"FileVersion", u"three")});
    const Bytes good = VersionInfo({StringFileInfo({table})});
    // Offsets of the three String entries in `good`.
    const size_t tableAt = good.size() - table.size();
    const size_t firstAt = tableAt + 24;  // header, "040904B0" and NUL, padding
    const size_t secondAt = firstAt + 32; // "Comments" and NUL, "one" and NUL
    ASSERT_EQ(good[firstAt + 6], 'C');
    ASSERT_EQ(good[secondAt + 6], 'B');

    {
        SCOPED_TRACE("zero length at the root");
        Bytes block = good;
        PutWord(block, 0, 0);
        EXPECT_EQ(Fields(Scan(block)), Fields(VersionStrings{}));
    }
    {
        SCOPED_TRACE("zero length in the middle: what came before stays");
        Bytes block = good;
        PutWord(block, secondAt, 0);
        const VersionStrings s = Scan(block);
        EXPECT_EQ(s.Comments, L"one");
        EXPECT_EQ(s.BuildID, L"");
        EXPECT_EQ(s.FileVersion, L"");
    }
    {
        SCOPED_TRACE("a length that holds only the header, with no room for the key");
        Bytes block = good;
        PutWord(block, secondAt, 6);
        EXPECT_EQ(Scan(block).Comments, L"one");
        EXPECT_EQ(Scan(block).FileVersion, L"");
    }
    {
        SCOPED_TRACE("root longer than the data: read up to the end of the data");
        Bytes block = good;
        PutWord(block, 0, 0xFFFF);
        EXPECT_EQ(Scan(block).FileVersion, L"three");
    }
    {
        SCOPED_TRACE("an entry longer than its table overlaps what follows and is dropped");
        Bytes block = good;
        PutWord(block, secondAt, static_cast<uint16_t>(good.size() - secondAt + 4));
        const VersionStrings s = Scan(block);
        EXPECT_EQ(s.Comments, L"one");
        EXPECT_EQ(s.BuildID, L"");
    }
    {
        SCOPED_TRACE("a table that claims to end inside its own header");
        Bytes block = good;
        PutWord(block, tableAt, 2);
        EXPECT_EQ(Fields(Scan(block)), Fields(VersionStrings{}));
    }
    {
        SCOPED_TRACE("a key without its terminating NUL");
        Bytes block = good;
        for (size_t at = firstAt + 6; at < firstAt + 24; ++at)
            block[at] = 'x';
        EXPECT_EQ(Scan(block).Comments, L"");
    }
    {
        SCOPED_TRACE("a root value length that points past everything");
        Bytes block = good;
        PutWord(block, 2, 0xFFFF);
        EXPECT_EQ(Fields(Scan(block)), Fields(VersionStrings{}));
    }
}

TEST(ScanVersionBlock, SurvivesGarbage) {
    EXPECT_EQ(Fields(ScanVersionBlock(nullptr, 0)), Fields(VersionStrings{}));
    std::mt19937 random(20260101);
    const Bytes& valid = TwoLanguageBlock();
    for (int round = 0; round < 2000; ++round) {
        Bytes block;
        if (round % 2 == 0) {
            block.resize(random() % 600);
            for (auto& b : block)
                b = static_cast<uint8_t>(random());
        } else {
            // A valid block with a few bytes changed keeps most of its shape, which reaches
            // deeper into the walk than pure noise.
            block = valid;
            for (int i = 0; i < 4; ++i)
                block[random() % block.size()] = static_cast<uint8_t>(random());
        }
        ScanVersionBlock(block.data(), block.size());
    }
}

TEST(FindVersionString, ReadsTheNamedTableAsTheSystemMatchesKeys) {
    const Bytes block =
        VersionInfo({StringFileInfo({Table(u"040904B0", {String(u"CompanyName", u"Orvix")}),
                                     Table(u"040704b0", {String(u"CompanyName", u"Orvix DE")})}),
                     VarFileInfo()});
    const auto find = [&](std::wstring_view table, std::wstring_view key) {
        return FindVersionString(block.data(), block.size(), table, key);
    };
    EXPECT_EQ(find(L"040904B0", L"CompanyName"), L"Orvix");
    EXPECT_EQ(find(L"040904b0", L"companyNAME"), L"Orvix");
    EXPECT_EQ(find(L"040704B0", L"CompanyName"), L"Orvix DE");
    EXPECT_EQ(find(L"040904B0", L"ProductName"), std::nullopt);
    EXPECT_EQ(find(L"041104B0", L"CompanyName"), std::nullopt);
    const auto translation = FirstTranslation(block.data(), block.size());
    ASSERT_TRUE(translation);
    EXPECT_EQ(translation->language, 0x0409);
    EXPECT_EQ(translation->codePage, 0x04B0);
    // Without the list, or with less than a pair in it: no translation.
    const Bytes none = VersionInfo({StringFileInfo({})});
    EXPECT_FALSE(FirstTranslation(none.data(), none.size()));
    const Bytes half = VersionInfo(
        {Node(u"VarFileInfo", 1, 0, {}, {Node(u"Translation", 0, 2, Bytes{0x09, 0x04})})});
    EXPECT_FALSE(FirstTranslation(half.data(), half.size()));
}

TEST(FindVersionString, AStringThatClaimsMoreEndsWithItsEntry) {
    // 0xFFFF units claimed and no NUL: the text stops where its entry does, not in the next.
    Bytes unterminated = Node(u"FileDescription", 1, 0xFFFF, Bytes{'N', 0, 'o', 0, 'N', 0});
    const Bytes block = VersionInfo(
        {StringFileInfo({Table(u"040904B0", {unterminated, String(u"FileVersion", u"1.0")})}),
         VarFileInfo()});
    EXPECT_EQ(FindVersionString(block.data(), block.size(), L"040904B0", L"FileDescription"),
              L"NoN");
    EXPECT_EQ(FindVersionString(block.data(), block.size(), L"040904B0", L"FileVersion"), L"1.0");
    // Every prefix of the block reads safely (the sanitizers watch).
    for (size_t size = 0; size <= block.size(); ++size)
        FindVersionString(block.data(), size, L"040904B0", L"FileVersion");
}

TEST(TranslationKey, IsLanguageThenCodePageInUpperCaseHex) {
    EXPECT_EQ(TranslationKey(0x0409, 0x04B0), L"040904B0");
    EXPECT_EQ(TranslationKey(0x0407, 1252), L"040704E4");
    EXPECT_EQ(TranslationKey(0, 0), L"00000000");
    EXPECT_EQ(TranslationKey(0xFFFF, 0xabcd), L"FFFFABCD");
}

FileInfoRecord FullInfo() {
    FileInfoRecord info;
    info.company = L"Orvix";
    info.description = L"Tool \u00fc";
    info.productName = L"Tessaly";
    info.productVersion = L"2.0";
    info.fileVersion = L"2.0.1";
    return info;
}

TEST(FoundFileRecord, JoinsTheFieldsWithBars) {
    EXPECT_EQ(FoundFileRecord(L"tool.exe", 5000000000ull, L"C:\\Program Files\\Orvix", FullInfo()),
              L"tool.exe|5000000000|C:\\Program Files\\Orvix|Tool \u00fc|Orvix|2.0|Tessaly\r");
}

TEST(FoundFileRecord, NamesWhatTheFileDoesNotSay) {
    const std::wstring unknown = L"|Unknown Product|Unknown Company|Unknown Version|";
    EXPECT_EQ(FoundFileRecord(L"tool.setup.exe", 0, L"C:\\x", FileInfoRecord{}),
              L"tool.setup.exe|0|C:\\x" + unknown + L"tool\r");
    EXPECT_EQ(FoundFileRecord(L"README", 7, L"", FileInfoRecord{}),
              L"README|7|" + unknown + L"README\r");

    // "?" (a key the file lacks) and blank texts count as missing, each on its own.
    FileInfoRecord info = FullInfo();
    info.description = L"?";
    info.company = L" \t ";
    info.productVersion = L" ? ";
    info.productName = L"?";
    EXPECT_EQ(FoundFileRecord(L"a.b.exe", 1, L"D:", info), L"a.b.exe|1|D:" + unknown + L"a\r");

    info = FullInfo();
    info.productName = L"";
    EXPECT_EQ(FoundFileRecord(L"tool.exe", 1, L"D:", info),
              L"tool.exe|1|D:|Tool \u00fc|Orvix|2.0|tool\r");
    // A "?" inside a text is a text.
    info = FullInfo();
    info.company = L"Who?";
    EXPECT_EQ(FoundFileRecord(L"tool.exe", 1, L"D:", info),
              L"tool.exe|1|D:|Tool \u00fc|Who?|2.0|Tessaly\r");
}

TEST(IsRecordedFileName, SkipsInstallersAndUninstallers) {
    for (const wchar_t* name : {L"Setup.exe", L"setup", L"SETUP64.EXE", L"  setupx.exe",
                                L"uninst000.exe", L"unins000.exe", L"\tUnInstall.exe"})
        EXPECT_FALSE(IsRecordedFileName(name)) << testing::PrintToString(std::wstring(name));
    for (const wchar_t* name :
         {L"mysetup.exe", L"notepad.exe", L"set.exe", L"unin.exe", L"", L"x setup.exe"})
        EXPECT_TRUE(IsRecordedFileName(name)) << testing::PrintToString(std::wstring(name));
}

} // namespace
} // namespace tessaly
