#include "process/file_version.h"

#include "common/long_path.h"

#include <mutex>
#include <vector>

namespace tessaly {

namespace {

// The raw VS_VERSIONINFO block of a file; empty when it has none or cannot be read.
std::vector<BYTE> ReadVersionBlock(const std::wstring& path) {
    const std::wstring file = ExtendedPath(path);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return {};
    return block;
}

FileInfoRecord ReadFileInfo(const std::wstring& path) {
    // The block is the file's, not ours to trust: it is read by the bounds-checked scanner,
    // never by calls that believe the lengths it states.
    const std::vector<BYTE> block = ReadVersionBlock(path);
    const auto translation = FirstTranslation(block.data(), block.size());
    if (!translation)
        return {};
    const std::wstring table = TranslationKey(translation->language, translation->codePage);
    const auto text = [&](std::wstring_view key) {
        return FindVersionString(block.data(), block.size(), table, key).value_or(L"?");
    };
    FileInfoRecord info;
    info.company = text(L"CompanyName");
    info.description = text(L"FileDescription");
    info.fileVersion = text(L"FileVersion");
    info.internalName = text(L"InternalName");
    info.copyright = text(L"LegalCopyright");
    info.originalFileName = text(L"OriginalFileName");
    info.productName = text(L"ProductName");
    info.productVersion = text(L"ProductVersion");
    return info;
}

std::mutex lastInfoLock;
FileInfoRecord lastInfo;

} // namespace

FileInfoRecord GetFileInfo(std::wstring_view path) {
    if (path.empty()) {
        const std::lock_guard<std::mutex> lock(lastInfoLock);
        return lastInfo;
    }
    FileInfoRecord info = ReadFileInfo(std::wstring(path));
    const std::lock_guard<std::mutex> lock(lastInfoLock);
    lastInfo = info;
    return info;
}

void FileVersionInfo::GetFileVersionInfo(std::wstring_view fileName) {
    strings_ = {};
    const std::vector<BYTE> block = ReadVersionBlock(std::wstring(fileName));
    strings_ = ScanVersionBlock(block.data(), block.size());
}

uint64_t FileSizeOf(std::wstring_view path, bool& ok) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ok = ::GetFileAttributesExW(ExtendedPath(path).c_str(), GetFileExInfoStandard, &data) != 0;
    if (!ok)
        return 0;
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

} // namespace tessaly
