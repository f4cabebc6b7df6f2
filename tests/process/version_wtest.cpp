// Version information of real files under Wine. This test program is itself the file with a
// version resource: version_wtest.rc gives it an English table (listed first in the
// translation list) and a German one after it.
#include "process/file_version.h"

#include "support/wine_test_support.h"
#include "win32/handles.h"
#include "win32/platform.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace tessaly {
namespace {

using test::Narrow;

std::vector<std::wstring> Fields(const FileInfoRecord& r) {
    return {r.company,   r.description,      r.fileVersion, r.internalName,
            r.copyright, r.originalFileName, r.productName, r.productVersion};
}

std::vector<std::wstring> Fields(const FileVersionInfo& v) {
    return {v.Comments(),        v.BuildID(),          v.LegalCopyright(), v.ProductVersion(),
            v.ProductName(),     v.OriginalFilename(), v.InternalName(),   v.FileVersion(),
            v.FileDescription(), v.CompanyName()};
}

const std::vector<std::wstring> kNoRecord = Fields(FileInfoRecord{});
const std::vector<std::wstring> kNoStrings(10);

// Deletes a tree given as a "\\?\" path, so paths beyond MAX_PATH go too.
void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    const UniqueFindHandle find(::FindFirstFileW((path + L"\\*").c_str(), &found));
    for (BOOL more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &found)) {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring child = path + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(child);
        else
            ::DeleteFileW(child.c_str());
    }
    ::RemoveDirectoryW(path.c_str());
}

// A fresh folder under %TEMP% with a non-ASCII name, removed with its contents at the end.
class Scratch {
public:
    Scratch()
        : path_(test::TempFolder() + L"tessaly \u00fc \u65e5\u672c " +
                std::to_wstring(::GetCurrentProcessId())) {
        RemoveTree(L"\\\\?\\" + path_);
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~Scratch() { RemoveTree(L"\\\\?\\" + path_); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::wstring& path() const { return path_; }

    std::wstring Write(const std::wstring& name, std::string_view bytes) const {
        const std::wstring file = path_ + L"\\" + name;
        const UniqueFileHandle h(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr,
                                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        const bool ok = h && ::WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                         &written, nullptr);
        return ok ? file : std::wstring();
    }

private:
    std::wstring path_;
};

std::wstring OwnPath() {
    return ModulePath();
}

void ExpectEnglish(const FileInfoRecord& info) {
    EXPECT_EQ(info.company, L"Orvix Test Ltd");
    EXPECT_EQ(info.description, L"Sample \u00fc \u65e5\u672c") << Narrow(info.description);
    EXPECT_EQ(info.fileVersion, L"1.2.3.4");
    EXPECT_EQ(info.internalName, L"version_wtest");
    // The English table has no LegalCopyright.
    EXPECT_EQ(info.copyright, L"?");
    // Asked for as "OriginalFileName"; the system matches the file's "OriginalFilename".
    EXPECT_EQ(info.originalFileName, L"version_wtest.exe");
    EXPECT_EQ(info.productName, L"Tessaly Probe");
    // The file really says "?" here, which reads the same as a missing key.
    EXPECT_EQ(info.productVersion, L"?");
}

// Unlike GetFileInfo, the block scan ignores the translation list: the German table comes
// last and wins, and the keys only it has (Comments, BuildID, LegalCopyright) are there.
void ExpectGerman(const FileVersionInfo& v) {
    EXPECT_EQ(v.Comments(), L"Pr\u00fcfprogramm");
    EXPECT_EQ(v.BuildID(), L"B-42");
    EXPECT_EQ(v.LegalCopyright(), L"\u00a9 2026 Orvix");
    EXPECT_EQ(v.ProductVersion(), L"1.2 DE");
    EXPECT_EQ(v.ProductName(), L"Tessaly Sonde");
    EXPECT_EQ(v.OriginalFilename(), L"version_wtest_de.exe");
    EXPECT_EQ(v.InternalName(), L"version_wtest_de");
    EXPECT_EQ(v.FileVersion(), L"1.2.3.4 DE");
    EXPECT_EQ(v.FileDescription(), L"Beispiel f\u00fcr \u65e5\u672c\u8a9e")
        << Narrow(v.FileDescription());
    EXPECT_EQ(v.CompanyName(), L"Orvix Pr\u00fcfung GmbH");
}

TEST(GetFileInfo, ReadsTheFirstTranslationOfARealFile) {
    const FileInfoRecord info = GetFileInfo(OwnPath());
    ExpectEnglish(info);

    bool ok = false;
    const uint64_t size = FileSizeOf(OwnPath(), ok);
    ASSERT_TRUE(ok);
    EXPECT_GT(size, 0u);
    EXPECT_EQ(FoundFileRecord(L"version_wtest.exe", size, L"C:\\t", info),
              L"version_wtest.exe|" + std::to_wstring(size) +
                  L"|C:\\t|Sample \u00fc \u65e5\u672c|Orvix Test Ltd|Unknown Version|"
                  L"Tessaly Probe\r");
}

TEST(FileVersionInfo, ReadsTheLastStringTableOfARealFile) {
    FileVersionInfo version;
    version.GetFileVersionInfo(OwnPath());
    ExpectGerman(version);
}

TEST(GetFileInfo, FilesWithoutVersionInformationGiveEmptyRecords) {
    const Scratch scratch;
    const std::wstring text = scratch.Write(L"notes.txt", "just text\r\n");
    ASSERT_FALSE(text.empty());
    // A file that starts like a PE file but ends before its sections.
    const std::wstring cut = scratch.Write(L"cut.exe", std::string("MZ\x90\0\x03", 5));
    ASSERT_FALSE(cut.empty());
    const std::wstring plain = ProgramFolder() + L"\\version_plain.dll";
    ASSERT_NE(::GetFileAttributesW(plain.c_str()), INVALID_FILE_ATTRIBUTES);

    for (const std::wstring& path :
         {text, cut, plain, scratch.path() + L"\\missing.exe", scratch.path()}) {
        SCOPED_TRACE(Narrow(path));
        EXPECT_EQ(Fields(GetFileInfo(path)), kNoRecord);
        FileVersionInfo version;
        version.GetFileVersionInfo(OwnPath());
        ASSERT_EQ(version.CompanyName(), L"Orvix Pr\u00fcfung GmbH");
        // Reading a file without version information clears what the last read left.
        version.GetFileVersionInfo(path);
        EXPECT_EQ(Fields(version), kNoStrings);
    }
}

TEST(GetFileInfo, AStringWithoutItsNulEndsWithItsEntry) {
    const std::wstring hostile = ProgramFolder() + L"\\version_nonul.dll";
    ASSERT_NE(::GetFileAttributesW(hostile.c_str()), INVALID_FILE_ATTRIBUTES);
    const FileInfoRecord info = GetFileInfo(hostile);
    EXPECT_EQ(info.description, L"NoNul Desc") << Narrow(info.description);
    EXPECT_EQ(info.company, L"Orvix NoNul");
    EXPECT_EQ(info.fileVersion, L"1.0");
    FileVersionInfo version;
    version.GetFileVersionInfo(hostile);
    EXPECT_EQ(version.FileDescription(), L"NoNul Desc");
}

TEST(GetFileInfo, EmptyPathReturnsTheLastResult) {
    const Scratch scratch;
    const std::wstring text = scratch.Write(L"notes.txt", "just text\r\n");
    ASSERT_FALSE(text.empty());

    const FileInfoRecord first = GetFileInfo(OwnPath());
    EXPECT_EQ(Fields(GetFileInfo(L"")), Fields(first));
    // Asking again does not replace the cached record with itself emptied.
    EXPECT_EQ(Fields(GetFileInfo(L"")), Fields(first));

    // A file without version information is a result too.
    GetFileInfo(text);
    EXPECT_EQ(Fields(GetFileInfo(L"")), kNoRecord);

    // What the worker thread read is what the UI thread gets.
    std::thread worker([] { GetFileInfo(OwnPath()); });
    worker.join();
    ExpectEnglish(GetFileInfo(L""));
}

TEST(GetFileInfo, ReadsFilesInUnicodeAndLongFolders) {
    const Scratch scratch;
    const std::wstring copy = scratch.path() + L"\\Pr\u00fcfung \u65e5\u672c.exe";
    ASSERT_TRUE(::CopyFileW(OwnPath().c_str(), copy.c_str(), FALSE)) << ::GetLastError();
    ExpectEnglish(GetFileInfo(copy));
    FileVersionInfo version;
    version.GetFileVersionInfo(copy);
    ExpectGerman(version);
    bool ok = false;
    bool ownOk = false;
    EXPECT_EQ(FileSizeOf(copy, ok), FileSizeOf(OwnPath(), ownOk));
    EXPECT_TRUE(ok && ownOk);

    // Beyond MAX_PATH only the "\\?\" form reaches the file.
    std::wstring folder = L"\\\\?\\" + scratch.path();
    while (folder.size() < 300) {
        folder += L"\\Verzeichnis mit langem Namen \u00fc \u65e5\u672c";
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)) << ::GetLastError();
    }
    const std::wstring deep = folder + L"\\tief.exe";
    ASSERT_GT(deep.size(), 4u + MAX_PATH);
    ASSERT_TRUE(::CopyFileW(OwnPath().c_str(), deep.c_str(), FALSE)) << ::GetLastError();
    ExpectEnglish(GetFileInfo(deep));
    version.GetFileVersionInfo(deep);
    ExpectGerman(version);
    EXPECT_GT(FileSizeOf(deep, ok), 0u);
    EXPECT_TRUE(ok);
}

} // namespace
} // namespace tessaly
