// The file search, the inventory file and the log file on real files under Wine.
#include "common/long_path.h"
#include "common/text.h"
#include "report/inventory.h"
#include "report/log_file.h"
#include "report/wildcard.h"
#include "support/wine_test_support.h"
#include "win32/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using test::TempFolder;

// A fresh folder of this test run's own, removed with everything in it at the end.
class Scratch {
public:
    Scratch() {
        root_ = TempFolder() + L"tessaly-report-" + std::to_wstring(::GetCurrentProcessId()) +
                L"-" + std::to_wstring(++count_);
        Remove();
        ::CreateDirectoryW(root_.c_str(), nullptr);
    }
    ~Scratch() { Remove(); }
    const std::wstring& Root() const { return root_; }

    std::wstring Folder(const std::wstring& relative) const {
        std::wstring path = root_;
        size_t start = 0;
        while (start <= relative.size()) {
            const size_t slash = relative.find(L'\\', start);
            path += L"\\" + relative.substr(start, slash - start);
            ::CreateDirectoryW(ExtendedPath(path).c_str(), nullptr);
            if (slash == std::wstring::npos)
                break;
            start = slash + 1;
        }
        return path;
    }

private:
    void Remove() {
        // The shell's recursive delete copes with long paths poorly; walk it ourselves.
        RemoveTree(root_);
    }
    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW data{};
        const UniqueFindHandle find(::FindFirstFileW(ExtendedPath(folder + L"\\*").c_str(), &data));
        if (find) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring path = folder + L"\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path);
                ::SetFileAttributesW(ExtendedPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(ExtendedPath(path).c_str());
            } while (::FindNextFileW(find.get(), &data));
        }
        ::RemoveDirectoryW(ExtendedPath(folder).c_str());
    }
    std::wstring root_;
    static inline int count_ = 0;
};

void WriteBytes(const std::wstring& path, const std::string& bytes, DWORD attributes = 0) {
    const UniqueFileHandle file(
        ::CreateFileW(ExtendedPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                      attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << test::Narrow(path);
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string ReadBytes(const std::wstring& path) {
    const UniqueFileHandle file(::CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
    if (!file)
        return "<missing>";
    std::string bytes(1 << 20, '\0');
    DWORD read = 0;
    ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

std::vector<std::wstring> Names(const std::wstring& folder) {
    std::vector<std::wstring> names;
    ListFolder(folder + L"\\", [&](DirEntry&& entry) {
        names.push_back(entry.name);
        return true;
    });
    std::sort(names.begin(), names.end());
    return names;
}

TEST(clsdirsearch, WalksARealTreeByLongNames) {
    Scratch scratch;
    const std::wstring root = scratch.Root();
    WriteBytes(root + L"\\a.exe", "MZ");
    WriteBytes(root + L"\\x.exe1", "1"); // its short name X~1.EXE matches "*.exe"
    WriteBytes(root + L"\\x.exec", "2");
    WriteBytes(root + L"\\hidden.exe", "3", FILE_ATTRIBUTE_HIDDEN);
    WriteBytes(root + L"\\\u6f22\u5b57\u00e9.EXE", "4");
    WriteBytes(scratch.Folder(L"y.exe") + L"\\in.exe", "5");
    // A chain of folders reaching well past 260 characters.
    std::wstring deep;
    for (int i = 0; i < 12; ++i)
        deep += (deep.empty() ? L"" : L"\\") + std::wstring(30, static_cast<wchar_t>(L'a' + i));
    const std::wstring deepFolder = scratch.Folder(deep);
    ASSERT_GT(deepFolder.size(), 360u);
    WriteBytes(deepFolder + L"\\deep.exe", "666666");

    clsdirsearch search(ListFolder);
    std::vector<std::wstring> folders;
    std::vector<uint64_t> sizes;
    search.searching = [&](const std::wstring& folder) { folders.push_back(folder); };
    search.found = [&](const std::wstring&, const DirEntry& file) { sizes.push_back(file.size); };
    search.findfiles(root, L"*.exe");

    const std::vector<std::wstring>& found = search.filesfound();
    const std::set<std::wstring> expected{root + L"\\a.exe", root + L"\\hidden.exe",
                                          root + L"\\\u6f22\u5b57\u00e9.EXE",
                                          root + L"\\y.exe\\in.exe", deepFolder + L"\\deep.exe"};
    EXPECT_EQ(std::set<std::wstring>(found.begin(), found.end()), expected);
    EXPECT_EQ(found.size(), expected.size()); // each once
    // The top folder's own files come before any file of a subfolder.
    ASSERT_EQ(found.size(), 5u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(found[i].find(L'\\', root.size() + 1), std::wstring::npos) << i;
    EXPECT_EQ(folders.front(), root + L"\\");
    EXPECT_EQ(folders.size(), 2u + 12u); // root, y.exe and the chain
    EXPECT_EQ(std::count(sizes.begin(), sizes.end(), 6u), 1);

    // Cancelled from the first report on: nothing further is reported or entered.
    clsdirsearch cancelled(ListFolder);
    folders.clear();
    cancelled.searching = [&](const std::wstring& folder) { folders.push_back(folder); };
    cancelled.found = [&](const std::wstring&, const DirEntry&) { cancelled.Cancel(); };
    cancelled.findfiles(root + L"\\", L"*.exe");
    EXPECT_EQ(cancelled.filesfound().size(), 1u);
    EXPECT_EQ(folders.size(), 1u);
}

TEST(clsdirsearch, DoesNotEnterLinkedFolders) {
    // Made by make_links.sh: inner\f.exe, inner\up -> .., again -> inner.
    const std::wstring tree = L"C:\\tessaly-linktree";
    ASSERT_NE(::GetFileAttributesW((tree + L"\\inner\\f.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    std::vector<DirEntry> top;
    ListFolder(tree + L"\\", [&](DirEntry&& entry) {
        top.push_back(std::move(entry));
        return true;
    });
    const auto again =
        std::find_if(top.begin(), top.end(), [](const DirEntry& e) { return e.name == L"again"; });
    ASSERT_NE(again, top.end());
    EXPECT_TRUE(again->reparsePoint);

    clsdirsearch search(ListFolder);
    std::vector<std::wstring> folders;
    search.searching = [&](const std::wstring& folder) {
        folders.push_back(folder);
        if (folders.size() > 50)
            search.Cancel(); // a walk round the loop; stop it so the test can fail cleanly
    };
    search.findfiles(tree, L"*.exe");
    EXPECT_EQ(search.filesfound(), std::vector<std::wstring>{tree + L"\\inner\\f.exe"});
    EXPECT_EQ(folders, (std::vector<std::wstring>{tree + L"\\", tree + L"\\inner\\"}));
}

TEST(MatchesWildcard, FoldsCaseBeyondAscii) {
    EXPECT_TRUE(MatchesWildcard(L"\u00e9t\u00e9*.exe", L"\u00c9T\u00c9 2.EXE"));
    EXPECT_TRUE(MatchesWildcard(L"*.\u0436", L"a.\u0416"));
}

TEST(WriteTextFile, WritesAnsiWhenEverythingFitsElseUtf8WithAMark) {
    Scratch scratch;
    struct Case {
        std::wstring text;
        std::string bytes;
    };
    // No single code page holds Thai, Hebrew and Han together.
    const std::wstring mixed = L"\u0e01\u05d0\u6f22\r\n";
    const Case cases[] = {
        {L"plain\r\nlines\r\r\n", "plain\r\nlines\r\r\n"},
        {L"", ""},
        {mixed, "\xEF\xBB\xBF" + ToUtf8(mixed)},
    };
    for (const Case& c : cases) {
        const std::wstring path = scratch.Root() + L"\\out.txt";
        EXPECT_EQ(WriteTextFile(path, c.text), static_cast<DWORD>(ERROR_SUCCESS));
        EXPECT_EQ(ReadBytes(path), c.bytes);
    }
    // A path past 260 characters.
    const std::wstring longPath =
        scratch.Folder(std::wstring(120, L'l') + L"\\" + std::wstring(120, L'm')) + L"\\" +
        std::wstring(40, L'n') + L".txt";
    EXPECT_EQ(WriteTextFile(longPath, L"x"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadBytes(longPath), "x");
    // No temporary files are left behind.
    EXPECT_EQ(Names(scratch.Root()),
              (std::vector<std::wstring>{std::wstring(120, L'l'), L"out.txt"}));
}

TEST(WriteTextFile, LeavesAFileHeldOpenElsewhereAsItWas) {
    Scratch scratch;
    const std::wstring path = scratch.Root() + L"\\held.txt";
    WriteBytes(path, "old content");
    {
        const UniqueFileHandle held(
            ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_NE(WriteTextFile(path, L"new content"), static_cast<DWORD>(ERROR_SUCCESS));
    }
    EXPECT_EQ(ReadBytes(path), "old content");
    EXPECT_EQ(Names(scratch.Root()), std::vector<std::wstring>{L"held.txt"}); // no leftovers
    // A folder that is not there.
    EXPECT_NE(WriteTextFile(scratch.Root() + L"\\none\\x.txt", L"x"),
              static_cast<DWORD>(ERROR_SUCCESS));
}

TEST(WriteInventoryFile, TakesTheFirstFolderThatWritesAndEndsEachRecordCrCrLf) {
    Scratch scratch;
    const std::wstring unwritable = scratch.Root() + L"\\missing";
    const std::wstring fallback = scratch.Folder(L"user");
    const std::vector<std::wstring> records{L"a.exe|2|C:\\|x|y|z|a\r", L"b.exe|3|C:\\|x|y|z|b\r"};
    EXPECT_EQ(WriteInventoryFile({unwritable, fallback}, records), fallback + L"\\a.txt");
    EXPECT_EQ(ReadBytes(fallback + L"\\a.txt"),
              "a.exe|2|C:\\|x|y|z|a\r\r\nb.exe|3|C:\\|x|y|z|b\r\r\n");
    EXPECT_EQ(WriteInventoryFile({unwritable, L""}, records), L"");
}

TEST(Inventory, RecordsProgramFilesAndWritesNothingWhenCancelled) {
    Scratch scratch;
    const std::wstring tree = scratch.Folder(L"tree");
    const std::wstring out = scratch.Folder(L"out");
    WriteBytes(tree + L"\\tool.exe", "12345");
    WriteBytes(tree + L"\\Setup.exe", "1"); // installers are not recorded
    WriteBytes(scratch.Folder(L"tree\\sub") + L"\\\u0e01.exe", "12");
    // A version text with a bar would split the line: the program itself carries none, but a
    // copy of this test's own build (no version resource) gives the "Unknown" fields.
    Inventory inventory;
    const Inventory::Outcome outcome = inventory.RunInventory(tree, {out});
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(outcome.writtenTo, out + L"\\a.txt");
    EXPECT_EQ(outcome.records, 2u);
    const std::wstring unknown = L"|Unknown Product|Unknown Company|Unknown Version|";
    const std::wstring expected = L"tool.exe|5|" + tree + L"\\" + unknown + L"tool\r\r\n" +
                                  L"\u0e01.exe|2|" + tree + L"\\sub\\" + unknown + L"\u0e01\r\r\n";
    EXPECT_EQ(ReadBytes(out + L"\\a.txt"), TextFileBytes(expected));

    Inventory stopped;
    stopped.Cancel(); // before the walk begins: it still counts
    const Inventory::Outcome none = stopped.RunInventory(tree, {scratch.Folder(L"out2")});
    EXPECT_TRUE(none.cancelled);
    EXPECT_TRUE(none.writtenTo.empty());
    EXPECT_TRUE(Names(scratch.Root() + L"\\out2").empty());
}

TEST(WriteLogfile, NamesABareTxtByTheDateAndWritesTheRows) {
    Scratch scratch;
    const std::vector<std::wstring> rows{L"c:\\windows\\system32\\smss.exe", L"",
                                         L"c:\\\u0e01\u05d0\u6f22\\b.exe"};
    const std::wstring written = WriteLogfile(nullptr, scratch.Root() + L"\\ .TXT ", rows);
    wchar_t date[64] = {};
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 64,
                      nullptr);
    std::wstring safeDate = date;
    for (wchar_t& c : safeDate)
        if (wcschr(L"\\/:*?\"<>|", c))
            c = L'-';
    EXPECT_EQ(written, scratch.Root() + L"\\" + safeDate + L".txt");
    const std::string bytes = ReadBytes(written);
    ASSERT_TRUE(bytes.starts_with("\xEF\xBB\xBF")) << "a path the code page lacks";
    const std::wstring text = FromUtf8(bytes.substr(3));
    EXPECT_TRUE(text.starts_with(L"Logfile saved using tessaly ")) << test::Narrow(text);
    EXPECT_NE(text.find(L"\r\nScan saved at: "), std::wstring::npos);
    EXPECT_NE(text.find(L"\r\nPlatform: "), std::wstring::npos);
    EXPECT_TRUE(text.ends_with(L"\r\n\r\n[Running processes]\r\nc:\\windows\\system32\\smss.exe"
                               L"\r\n\r\nc:\\\u0e01\u05d0\u6f22\\b.exe\r\n"))
        << test::Narrow(text);

    // A name typed without an extension is used as it is; ANSI when everything fits.
    const std::wstring plain = WriteLogfile(nullptr, scratch.Root() + L"\\run", {L"c:\\a.exe"});
    EXPECT_EQ(plain, scratch.Root() + L"\\run");
    EXPECT_TRUE(ReadBytes(plain).ends_with("[Running processes]\r\nc:\\a.exe\r\n"));
    // Cancelled: nothing.
    EXPECT_EQ(WriteLogfile(nullptr, L"  ", rows), L"");
}

} // namespace
} // namespace tessaly
