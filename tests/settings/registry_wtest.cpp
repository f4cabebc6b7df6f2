// The registry helpers and the settings store against Wine's registry.
#include "settings/registry.h"

#include "settings/test_keys.h"
#include "support/wine_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace tessaly {
namespace {

using test::PutDword;
using test::PutRaw;
using test::PutText;
using test::RawText;
using test::TestKey;

constexpr const wchar_t* kSub = L"software\\orvix\\tessaly\\option\\free";

// A text whose every position differs from its neighbours, so a cut or shifted read shows.
std::wstring Pattern(size_t length) {
    std::wstring text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<wchar_t>(L'A' + i % 26 + (i / 26 % 2) * (L'a' - L'A'));
    return text;
}

// ---- fReadValue ----------------------------------------------------------------------------

class ReadValue : public ::testing::Test {
protected:
    TestKey root_{L"root"};
};

TEST_F(ReadValue, TextOfAnyLengthComesBackWhole) {
    // 511 characters and the terminator fill the first read's buffer exactly; one more needs
    // a second read.
    for (size_t length : {0u, 1u, 511u, 512u, 513u, 5000u, 100000u}) {
        SCOPED_TRACE(length);
        const std::wstring stored = Pattern(length);
        PutText(root_.get(), kSub, L"text", stored);
        std::wstring read = L"stale";
        ASSERT_TRUE(fReadValue(root_.get(), kSub, L"text", read));
        EXPECT_EQ(read.size(), stored.size());
        EXPECT_EQ(read, stored);
    }
}

TEST_F(ReadValue, TextEndsAtItsTerminatorOrItsLastByte) {
    // Stored without a terminator (some programs write the bare characters).
    const std::wstring bare = L"no terminator";
    PutRaw(root_.get(), kSub, L"bare", REG_SZ, bare.data(),
           static_cast<DWORD>(bare.size() * sizeof(wchar_t)));
    // Stored with rubbish after the terminator.
    const wchar_t padded[] = L"shown\0hidden";
    PutRaw(root_.get(), kSub, L"padded", REG_SZ, padded, sizeof padded);

    std::wstring read;
    ASSERT_TRUE(fReadValue(root_.get(), kSub, L"bare", read));
    EXPECT_EQ(read, bare);
    ASSERT_TRUE(fReadValue(root_.get(), kSub, L"padded", read));
    EXPECT_EQ(read, L"shown");
}

TEST_F(ReadValue, ExpandableTextIsNotExpanded) {
    const std::wstring stored = L"%SystemRoot%\\system32\\x.exe";
    PutRaw(root_.get(), kSub, L"path", REG_EXPAND_SZ, stored.c_str(),
           static_cast<DWORD>((stored.size() + 1) * sizeof(wchar_t)));
    std::wstring read;
    ASSERT_TRUE(fReadValue(root_.get(), kSub, L"path", read));
    EXPECT_EQ(read, stored);
}

TEST_F(ReadValue, DwordIsAmpersandHAndHexDigits) {
    const struct {
        DWORD stored;
        const wchar_t* text;
    } cases[] = {{256, L"&h100"},
                 {1, L"&h1"},
                 {0, L"&h0"},
                 {0xDEADBEEF, L"&hDEADBEEF"},
                 {0xFFFFFFFF, L"&hFFFFFFFF"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        PutDword(root_.get(), kSub, L"number", c.stored);
        std::wstring read;
        ASSERT_TRUE(fReadValue(root_.get(), kSub, L"number", read));
        EXPECT_EQ(read, c.text);
    }
}

TEST_F(ReadValue, MissingValueOrKeyEmptiesTheTextAndFails) {
    PutText(root_.get(), kSub, L"present", L"x");
    std::wstring read = L"stale";
    EXPECT_FALSE(fReadValue(root_.get(), kSub, L"absent", read));
    EXPECT_EQ(read, L"");
    read = L"stale";
    EXPECT_FALSE(fReadValue(root_.get(), L"software\\no such key", L"present", read));
    EXPECT_EQ(read, L"");
}

TEST_F(ReadValue, EmptyTextIsFoundNotMissing) {
    PutText(root_.get(), kSub, L"empty", L"");
    std::wstring read = L"stale";
    EXPECT_TRUE(fReadValue(root_.get(), kSub, L"empty", read));
    EXPECT_EQ(read, L"");
}

// ---- WriteValueStatus / fWriteValue -----------------------------------------------------------

class WriteValue : public ::testing::Test {
protected:
    TestKey root_{L"root"};
};

TEST_F(WriteValue, CreatesTheKeyAndStoresText) {
    EXPECT_EQ(WriteValueStatus(root_.get(), L"a\\b\\c", L"name", L"value"), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(RawText(root_.get(), L"a\\b\\c", L"name", &type), L"value");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST_F(WriteValue, ReplacesANumberWithText) {
    PutDword(root_.get(), kSub, L"reftm", 30);
    ASSERT_TRUE(fWriteValue(root_.get(), kSub, L"reftm", L"45"));
    DWORD type = 0;
    EXPECT_EQ(RawText(root_.get(), kSub, L"reftm", &type), L"45");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST_F(WriteValue, NonAsciiNamesAndTextRoundTrip) {
    const std::wstring subKey = L"Ünïcode\\キー";
    const std::wstring name = L"Größe-値";
    const std::wstring text = L"Wert ü 値 €";
    ASSERT_TRUE(fWriteValue(root_.get(), subKey, name, text));

    std::wstring read;
    ASSERT_TRUE(fReadValue(root_.get(), subKey, name, read));
    EXPECT_EQ(read, text);

    // Reading back through the same helpers would also pass if both mangled the name the
    // same way (say through the ANSI code page); the key must hold exactly this name.
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(root_.get(), subKey.c_str(), 0, KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    wchar_t stored[64] = {};
    DWORD length = 64;
    const LONG status =
        ::RegEnumValueW(key, 0, stored, &length, nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(key);
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(stored, length), name);
}

TEST_F(WriteValue, RefusedWriteGivesTheErrorAndChangesNothing) {
    PutText(root_.get(), kSub, L"refresh", L"1");
    root_.DenyWrites(kSub);
    EXPECT_EQ(WriteValueStatus(root_.get(), kSub, L"refresh", L"0"), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(fWriteValue(root_.get(), kSub, L"new", L"x"));
    EXPECT_EQ(RawText(root_.get(), kSub, L"refresh"), L"1");
    EXPECT_EQ(RawText(root_.get(), kSub, L"new"), std::nullopt);
}

// ---- fRootKey -------------------------------------------------------------------------------

// A file in the temporary folder, removed afterwards.
class TempFile {
public:
    TempFile(const wchar_t* name, const char* content) {
        path_ = test::TempFolder() + name;
        std::ofstream(path_.c_str(), std::ios::binary) << content;
    }
    ~TempFile() { ::DeleteFileW(path_.c_str()); }
    const std::wstring& path() const { return path_; }
    std::string Content() const {
        std::ifstream in(path_.c_str(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::wstring path_;
};

TEST(RootKey, HiveNamesInAnyCase) {
    EXPECT_EQ(fRootKey(L"HKCU"), HKEY_CURRENT_USER);
    EXPECT_EQ(fRootKey(L"hkcu"), HKEY_CURRENT_USER);
    EXPECT_EQ(fRootKey(L"HkLm"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(fRootKey(L"hku"), HKEY_USERS);
    EXPECT_EQ(fRootKey(L"HKCR"), HKEY_CLASSES_ROOT);
}

TEST(RootKey, OtherTextIsAFileWhenOneExists) {
    const TempFile ini(L"tessaly_rootkey.ini", "[s]\r\na=1\r\n");
    EXPECT_EQ(fRootKey(ini.path()), kIniFileRoot);

    EXPECT_EQ(fRootKey(test::TempFolder()), nullptr) << "a folder is not a file";
    EXPECT_EQ(fRootKey(ini.path() + L".missing"), nullptr);
    EXPECT_EQ(fRootKey(L""), nullptr);
}

// ---- fDeleteValue / DeleteValueStatus ---------------------------------------------------------

class DeleteValue : public ::testing::Test {
protected:
    TestKey root_{L"root"};
    std::wstring Path(const wchar_t* sub = kSub) const { return root_.path() + L"\\" + sub; }
};

TEST_F(DeleteValue, RemovesOnlyTheNamedValue) {
    PutText(root_.get(), kSub, L"load", L"1");
    PutText(root_.get(), kSub, L"loadtype", L"1");
    EXPECT_EQ(fDeleteValue(L"HKCU", Path(), L"load"), 0);
    EXPECT_EQ(RawText(root_.get(), kSub, L"load"), std::nullopt);
    EXPECT_EQ(RawText(root_.get(), kSub, L"loadtype"), L"1");
}

TEST_F(DeleteValue, AbsentValueOrKeyCountsAsDeleted) {
    PutText(root_.get(), kSub, L"other", L"1");
    EXPECT_EQ(fDeleteValue(L"hkcu", Path(), L"absent"), 0);
    EXPECT_EQ(fDeleteValue(L"HKCU", Path(L"no\\such\\key"), L"absent"), 0);
    EXPECT_EQ(DeleteValueStatus(root_.get(), L"no\\such\\key", L"absent"), 0);
}

TEST_F(DeleteValue, TrailingBackslashOnTheKey) {
    // Callers pass key paths the way the program has always written them, some with a final
    // backslash.
    PutText(root_.get(), kSub, L"load", L"1");
    EXPECT_EQ(fDeleteValue(L"HKCU", Path() + L"\\", L"load"), 0);
    EXPECT_EQ(RawText(root_.get(), kSub, L"load"), std::nullopt);
}

TEST_F(DeleteValue, RootThatIsNeitherHiveNorFileIs99) {
    EXPECT_EQ(fDeleteValue(L"HKXX", Path(), L"load"), 99);
    EXPECT_EQ(fDeleteValue(L"", Path(), L"load"), 99);
    EXPECT_EQ(fDeleteValue(L"C:\\no such folder\\tessaly.ini", L"s", L"a"), 99);
}

TEST_F(DeleteValue, RefusedDeleteGivesTheError) {
    PutText(root_.get(), kSub, L"load", L"1");
    root_.DenyWrites(kSub);
    EXPECT_EQ(fDeleteValue(L"HKCU", Path(), L"load"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(DeleteValueStatus(root_.get(), kSub, L"load"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RawText(root_.get(), kSub, L"load"), L"1");
}

TEST(DeleteIniValue, BlanksTheEntryAndKeepsTheRest) {
    const TempFile ini(L"tessaly_delete.ini", "[run]\r\nvarnok=C:\\x.exe\r\nother=2\r\n"
                                              "[more]\r\nvarnok=3\r\n");
    EXPECT_EQ(fDeleteValue(ini.path(), L"run", L"varnok"), 0);

    wchar_t text[64];
    // Blanked, not removed: the entry is there and empty, so the default does not show.
    ::GetPrivateProfileStringW(L"run", L"varnok", L"(default)", text, 64, ini.path().c_str());
    EXPECT_STREQ(text, L"");
    ::GetPrivateProfileStringW(L"run", L"other", L"", text, 64, ini.path().c_str());
    EXPECT_STREQ(text, L"2");
    ::GetPrivateProfileStringW(L"more", L"varnok", L"", text, 64, ini.path().c_str());
    EXPECT_STREQ(text, L"3");
    EXPECT_NE(ini.Content().find("varnok="), std::string::npos) << ini.Content();
}

// ---- SettingsStore ----------------------------------------------------------------------------

class Store : public ::testing::Test {
protected:
    TestKey machine_{L"machine"};
    TestKey user_{L"user"};
    SettingsStore store_{machine_.get(), user_.get()};
};

TEST_F(Store, ReadsTheUserFirstThenTheMachine) {
    PutText(machine_.get(), kSub, L"refresh", L"machine");
    PutText(user_.get(), kSub, L"refresh", L"user");
    PutText(machine_.get(), kSub, L"reftm", L"30");

    EXPECT_EQ(store_.Read(kSub, L"refresh"), L"user");
    EXPECT_EQ(store_.Read(kSub, L"reftm"), L"30");
    EXPECT_EQ(store_.Read(kSub, L"load"), std::nullopt);
    EXPECT_EQ(store_.Text(kSub, L"load"), L"");
}

TEST_F(Store, AUserValueWithNoTextFormDoesNotHideTheMachines) {
    const BYTE binary[] = {1, 0, 0, 0};
    PutRaw(user_.get(), kSub, L"refresh", REG_BINARY, binary, sizeof binary);
    PutText(machine_.get(), kSub, L"refresh", L"1");
    EXPECT_EQ(store_.Read(kSub, L"refresh"), L"1");
    EXPECT_EQ(store_.Number(kSub, L"refresh"), 1);
    // Neither readable: absent, not an empty text.
    PutRaw(user_.get(), kSub, L"reftm", REG_BINARY, binary, sizeof binary);
    PutRaw(machine_.get(), kSub, L"reftm", REG_MULTI_SZ, L"7\0", 3 * sizeof(wchar_t));
    EXPECT_EQ(store_.Read(kSub, L"reftm"), std::nullopt);
}

TEST_F(Store, NumberIsTheLeadingNumberOfTheText) {
    const struct {
        const wchar_t* text;
        double number;
    } cases[] = {{L"12abc", 12}, {L"  7.5 s", 7.5}, {L"abc", 0},
                 {L"", 0},       {L"&h1F", 31},     {L"-3", -3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "text of " << wcslen(c.text) << " characters");
        PutText(machine_.get(), kSub, L"n", c.text);
        EXPECT_EQ(store_.Number(kSub, L"n"), c.number);
    }
    EXPECT_EQ(store_.Number(kSub, L"missing"), 0);
    PutDword(machine_.get(), kSub, L"dword", 256);
    EXPECT_EQ(store_.Number(kSub, L"dword"), 256) << "a DWORD reads back as its number";
}

TEST_F(Store, WriteGoesToTheMachineAndDropsTheUserCopy) {
    PutText(user_.get(), kSub, L"refresh", L"old");
    PutText(user_.get(), kSub, L"reftm", L"kept");

    EXPECT_EQ(store_.Write(kSub, L"refresh", L"new"), SettingsStore::Stored::Machine);
    EXPECT_EQ(RawText(machine_.get(), kSub, L"refresh"), L"new");
    EXPECT_EQ(RawText(user_.get(), kSub, L"refresh"), std::nullopt);
    EXPECT_EQ(RawText(user_.get(), kSub, L"reftm"), L"kept") << "other user values stay";
    EXPECT_EQ(store_.Read(kSub, L"refresh"), L"new");
}

TEST_F(Store, RefusedMachineWriteLandsUnderTheUser) {
    PutText(machine_.get(), kSub, L"refresh", L"machine");
    machine_.DenyWrites(kSub);

    EXPECT_EQ(store_.Write(kSub, L"refresh", L"1"), SettingsStore::Stored::User);
    EXPECT_EQ(RawText(user_.get(), kSub, L"refresh"), L"1");
    EXPECT_EQ(RawText(machine_.get(), kSub, L"refresh"), L"machine");
    EXPECT_EQ(store_.Read(kSub, L"refresh"), L"1");
}

TEST_F(Store, BothRefusedFails) {
    PutText(machine_.get(), kSub, L"refresh", L"machine");
    PutText(user_.get(), kSub, L"refresh", L"user");
    machine_.DenyWrites(kSub);
    user_.DenyWrites(kSub);

    EXPECT_EQ(store_.Write(kSub, L"refresh", L"1"), SettingsStore::Stored::Failed);
    EXPECT_EQ(RawText(machine_.get(), kSub, L"refresh"), L"machine");
    EXPECT_EQ(RawText(user_.get(), kSub, L"refresh"), L"user");
}

TEST_F(Store, MachineWriteAfterARefusedOneIsNotShadowed) {
    machine_.DenyWrites(kSub);
    ASSERT_EQ(store_.Write(kSub, L"reftm", L"10"), SettingsStore::Stored::User);
    machine_.AllowWrites(); // say an administrator saves next

    EXPECT_EQ(store_.Write(kSub, L"reftm", L"20"), SettingsStore::Stored::Machine);
    EXPECT_EQ(RawText(user_.get(), kSub, L"reftm"), std::nullopt);
    EXPECT_EQ(store_.Read(kSub, L"reftm"), L"20");
}

} // namespace
} // namespace tessaly
