#include "scan/companion.h"

#include "common/long_path.h"
#include "common/text.h"
#include "scan/lookup_text.h"
#include "scan/opener.h"
#include "win32/handles.h"
#include "win32/platform.h"

namespace tessaly {

const wchar_t* const kSetupOfferText = L"This feature is missing please download the new setup "
                                       L"file\rWould you like to download it now? ";

namespace {

void OfferSetupDownload(HWND owner, const CompanionActions& actions) {
    const int answer = actions.ask(owner, kSetupOfferText, L"Tessaly", MB_YESNO | MB_ICONSTOP);
    if (answer == IDYES && actions.open)
        actions.open(owner, SetupAddress(LookupServer(SettingsStore())));
    // Normal again: restored from minimised or maximised, left hidden when hidden.
    if (owner && (::IsIconic(owner) || ::IsZoomed(owner)))
        ::ShowWindow(owner, SW_RESTORE);
}

} // namespace

ProgramStart StartProgramFile(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(ExtendedPath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (data.nFileSizeHigh == 0 && data.nFileSizeLow == 0))
        return ProgramStart::Missing;
    // Started directly rather than through the shell: for a program file the shell adds
    // nothing, and a direct start reports its failure at once.
    const std::wstring folder = ProgramFolder();
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(ExtendedPath(path).c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          0, nullptr, folder.c_str(), &startup, &started))
        return ProgramStart::Failed;
    UniqueKernelHandle process(started.hProcess), thread(started.hThread);
    return ProgramStart::Started;
}

void CheckForUpdates(HWND owner, const CompanionActions& actions) {
    if (StartProgramFile(ProgramFolder() + L"\\kestrup.exe") != ProgramStart::Started)
        OfferSetupDownload(owner, actions);
}

void ShowSystemInformation(HWND owner, const CompanionActions& actions) {
    if (StartProgramFile(ProgramFolder() + L"\\orvixinfo.exe") == ProgramStart::Missing)
        OfferSetupDownload(owner, actions);
}

} // namespace tessaly
