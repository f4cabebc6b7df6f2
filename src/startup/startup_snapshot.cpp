#include "startup/startup_snapshot.h"

#include "common/long_path.h"
#include "settings/setting_names.h"
#include "startup/name_file.h"
#include "startup/startup_diff.h"
#include "win32/handles.h"
#include "win32/platform.h"
#include "win32/text_file.h"

#include <algorithm>

namespace tessaly {

namespace {

constexpr const wchar_t* kBaselineFile = L"\\startst.txt";
constexpr const wchar_t* kCurrentFile = L"\\starttmp.txt";
constexpr const wchar_t* kNewFile = L"\\starttmp2.txt";
constexpr const wchar_t* kFirstRunValue = L"start1st";
// A name file bigger than this is no list of startup names; what fits is read.
constexpr LONGLONG kLargestFile = 64ll << 20;

bool Exists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(ExtendedPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::wstring& path) {
    UniqueFileHandle file(::CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size))
        return {};
    std::string bytes(static_cast<size_t>(std::min(size.QuadPart, kLargestFile)), '\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return {};
    bytes.resize(read);
    return bytes;
}

bool WriteNames(const std::wstring& path, const std::vector<std::wstring>& names) {
    std::vector<std::wstring> remembered;
    remembered.reserve(names.size());
    for (const std::wstring& name : names)
        remembered.push_back(RememberedName(name));
    return WriteTextFile(path, NameFileText(remembered)) == ERROR_SUCCESS;
}

// Whether a file can be made in the folder; the probe leaves nothing behind.
bool CanWriteIn(const std::wstring& folder) {
    const std::wstring probe =
        folder + L"\\~tessaly" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    const UniqueFileHandle file(
        ::CreateFileW(ExtendedPath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return static_cast<bool>(file);
}

} // namespace

bool StartupSnapshot::Result::AnyNew() const {
    return std::find(marks.begin(), marks.end(), true) != marks.end();
}

StartupSnapshot::StartupSnapshot(const SettingsStore& settings, std::wstring programFolder,
                                 std::optional<std::wstring> userFolder)
    : settings_(settings), programFolder_(std::move(programFolder)),
      userFolder_(std::move(userFolder)) {}

std::wstring StartupSnapshot::Folder() const {
    if (!userFolder_)
        userFolder_ = UserDataFolder();
    const std::wstring& user = *userFolder_;
    if (!user.empty() && Exists(user + kBaselineFile))
        return user;
    if (user.empty() || CanWriteIn(programFolder_))
        return programFolder_;
    ::CreateDirectoryW(ExtendedPath(user).c_str(), nullptr);
    return user;
}

bool StartupSnapshot::WriteBaseline(const std::wstring& folder,
                                    const std::vector<std::wstring>& names) {
    // Written beside and then put in place, so a crash never leaves half a baseline.
    return WriteNames(folder + kBaselineFile, names);
}

StartupSnapshot::Result StartupSnapshot::Check(const std::vector<std::wstring>& names) {
    const std::wstring folder = Folder();
    const std::wstring current = folder + kCurrentFile, fresh = folder + kNewFile;
    ::DeleteFileW(ExtendedPath(current).c_str());
    ::DeleteFileW(ExtendedPath(fresh).c_str());
    Result result;
    if (settings_.Number(settings::kProductKey, kFirstRunValue) == 0) {
        // No baseline yet: the names as they are become it, and nothing is new.
        result.first = true;
        result.marks.assign(names.size(), false);
        if (WriteBaseline(folder, names))
            settings_.Write(settings::kProductKey, kFirstRunValue, L"1");
        return result;
    }
    WriteNames(current, names);
    // A baseline deleted by hand leaves every name new.
    result.marks = NewNameMarks(
        names, DecodeNameFile(ReadFileBytes(folder + kBaselineFile), SystemTextCodec()));
    std::vector<std::wstring> added;
    for (size_t i = 0; i < names.size(); ++i)
        if (result.marks[i])
            added.push_back(names[i]);
    WriteNames(fresh, added);
    ::DeleteFileW(ExtendedPath(current).c_str());
    ::DeleteFileW(ExtendedPath(fresh).c_str());
    return result;
}

bool StartupSnapshot::Accept(const std::vector<std::wstring>& names) {
    if (!WriteBaseline(Folder(), names))
        return false;
    // A baseline now exists, whatever the marker said.
    if (settings_.Number(settings::kProductKey, kFirstRunValue) == 0)
        settings_.Write(settings::kProductKey, kFirstRunValue, L"1");
    return true;
}

} // namespace tessaly
