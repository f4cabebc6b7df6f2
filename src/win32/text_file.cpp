#include "win32/text_file.h"

#include "common/long_path.h"
#include "common/text.h"
#include "win32/handles.h"
#include "win32/platform.h"

#include <shlobj.h>

namespace tessaly {

std::string TextFileBytes(std::wstring_view text) {
    return EncodeAnsiOrUtf8(text, SystemTextCodec());
}

DWORD WriteTextFile(const std::wstring& path, std::wstring_view text) {
    const std::string bytes = TextFileBytes(text);
    const std::wstring target = ExtendedPath(path);
    const std::wstring temporary =
        ExtendedPath(path + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp");
    DWORD error = ERROR_SUCCESS;
    {
        UniqueFileHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return ::GetLastError();
        size_t done = 0;
        while (done < bytes.size() && error == ERROR_SUCCESS) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
            DWORD written = 0;
            if (!::WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr))
                error = ::GetLastError();
            done += written;
        }
        if (error == ERROR_SUCCESS && !::FlushFileBuffers(file.get()))
            error = ::GetLastError();
    }
    if (error == ERROR_SUCCESS &&
        !::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error != ERROR_SUCCESS)
        ::DeleteFileW(temporary.c_str());
    return error;
}

std::wstring KnownFolderPath(REFKNOWNFOLDERID folder, bool create) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(::SHGetKnownFolderPath(folder, create ? DWORD{KF_FLAG_CREATE} : DWORD{0}, nullptr,
                                         &path)))
        result = path;
    ::CoTaskMemFree(path);
    return result;
}

std::wstring UserDataFolder() {
    const std::wstring base = KnownFolderPath(FOLDERID_LocalAppData, true);
    if (base.empty())
        return {};
    const std::wstring folder = base + L"\\Tessaly";
    if (!::CreateDirectoryW(ExtendedPath(folder).c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    return folder;
}

} // namespace tessaly
