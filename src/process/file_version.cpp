#include "process/file_version.h"

#include <cwchar>
#include <mutex>
#include <vector>

namespace tessaly {

namespace {

// The raw VS_VERSIONINFO block of a file; empty when it has none or cannot be read.
std::vector<BYTE> ReadVersionBlock(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        return {};
    return block;
}

// The text at `subBlock`, "?" when the block has no such key.
std::wstring QueryString(std::vector<BYTE>& block, const std::wstring& subBlock) {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), subBlock.c_str(), &value, &length) || value == nullptr)
        return L"?";
    const auto* text = static_cast<const wchar_t*>(value);
    return std::wstring(text, ::wcsnlen(text, length));
}

FileInfoRecord ReadFileInfo(const std::wstring& path) {
    std::vector<BYTE> block = ReadVersionBlock(path);
    if (block.empty())
        return {};
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
        value == nullptr || length < 2 * sizeof(WORD))
        return {};
    const auto* translation = static_cast<const WORD*>(value);
    const std::wstring prefix =
        L"\\StringFileInfo\\" + TranslationKey(translation[0], translation[1]) + L"\\";
    FileInfoRecord info;
    info.company = QueryString(block, prefix + L"CompanyName");
    info.description = QueryString(block, prefix + L"FileDescription");
    info.fileVersion = QueryString(block, prefix + L"FileVersion");
    info.internalName = QueryString(block, prefix + L"InternalName");
    info.copyright = QueryString(block, prefix + L"LegalCopyright");
    info.originalFileName = QueryString(block, prefix + L"OriginalFileName");
    info.productName = QueryString(block, prefix + L"ProductName");
    info.productVersion = QueryString(block, prefix + L"ProductVersion");
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
    ok = ::GetFileAttributesExW(std::wstring(path).c_str(), GetFileExInfoStandard, &data) != 0;
    if (!ok)
        return 0;
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

} // namespace tessaly
