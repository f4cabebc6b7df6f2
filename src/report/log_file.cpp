#include "report/log_file.h"

#include "common/long_path.h"
#include "common/text.h"
#include "report/log_text.h"
#include "sysinfo/system_info.h"
#include "sysinfo/version_text.h"
#include "win32/platform.h"
#include "win32/text_file.h"

#include <commdlg.h>

namespace tessaly {

namespace {

constexpr const wchar_t* kTitle = L"Tessaly";

std::wstring DateText(const SYSTEMTIME& now, DWORD format) {
    wchar_t text[128] = {};
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, format, &now, nullptr, text, 128, nullptr);
    return text;
}

std::wstring LocaleText(LCTYPE type) {
    wchar_t text[32] = {};
    ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text, 32);
    return text;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

std::wstring CurrentLogText(const std::vector<std::wstring>& paths) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const cSystemInfo system;
    const FileVersionNumbers version = OwnFileVersion();
    LogFacts facts;
    facts.version = LogVersionText(version.major, version.minor, version.revision);
    facts.time = TwelveHourTime(now.wHour, now.wMinute, now.wSecond, LocaleText(LOCALE_S1159),
                                LocaleText(LOCALE_S2359));
    facts.date = DateText(now, DATE_LONGDATE);
    facts.winName = system.WinName();
    facts.winVersion = system.WinVersion();
    facts.ieVersion = system.IEVersion();
    facts.paths = paths;
    return LogFileText(facts);
}

std::wstring WriteLogfile(HWND owner, const std::wstring& chosen,
                          const std::vector<std::wstring>& paths) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const LogTarget target = LogFileTarget(chosen, DateText(now, DATE_SHORTDATE));
    if (target.path.empty())
        return {};
    // The dialog asked about the name the user typed; the date's name is ours to ask about.
    if (target.dateName && Exists(target.path)) {
        const std::wstring question = target.path + L" already exists.\nDo you want to replace it?";
        if (::MessageBoxW(owner, question.c_str(), kTitle,
                          MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
            return {};
    }
    const DWORD error = WriteTextFile(target.path, CurrentLogText(paths));
    if (error != ERROR_SUCCESS) {
        const std::wstring message =
            L"The log file could not be saved as\n" + target.path + L"\n\n" + ErrorText(error);
        ::MessageBoxW(owner, message.c_str(), kTitle, MB_OK | MB_ICONERROR);
        return {};
    }
    return target.path;
}

std::wstring SaveLogfile(HWND owner, const std::vector<std::wstring>& paths) {
    std::wstring file(32768, L'\0'); // long paths come back whole
    OPENFILENAMEW dlg1{sizeof dlg1};
    dlg1.hwndOwner = owner;
    dlg1.lpstrFilter = L"*.txt\0*.txt\0";
    dlg1.lpstrFile = file.data();
    dlg1.nMaxFile = static_cast<DWORD>(file.size());
    dlg1.lpstrTitle = L"Save Logfile";
    const std::wstring documents = KnownFolderPath(FOLDERID_Documents);
    dlg1.lpstrInitialDir = documents.empty() ? nullptr : documents.c_str();
    // No default extension: the name is used as typed.
    dlg1.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                 OFN_HIDEREADONLY | OFN_ENABLESIZING;
    if (!::GetSaveFileNameW(&dlg1))
        return {};
    file.resize(wcslen(file.c_str()));
    return WriteLogfile(owner, file, paths);
}

} // namespace tessaly
