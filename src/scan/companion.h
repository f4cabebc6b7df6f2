// The updater (kestrup.exe) and the companion program (orvixinfo.exe) beside varnok, and the
// offer to download the setup program when one is missing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace tessaly {

enum class ProgramStart { Started, Missing, Failed };

// Starts the program file shown normally, without arguments and without waiting for it, in
// the program's folder. A file that is absent or empty is Missing and not tried.
ProgramStart StartProgramFile(const std::wstring& path);

// How the offer's answer and the download are carried out; tests replace the parts.
struct CompanionActions {
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& title, UINT style)>
        ask = [](HWND owner, const std::wstring& text, const std::wstring& title, UINT style) {
            return ::MessageBoxW(owner, text.c_str(), title.c_str(), style);
        };
    std::function<void(HWND owner, const std::wstring& address)> open;
};

// "Check For Updates": starts the updater; when it is missing or will not start, offers the
// setup download instead.
void CheckForUpdates(HWND owner, const CompanionActions& actions);

// "System Information": starts the companion program; when it is missing or empty, offers the
// setup download. A companion that is there but will not start is left at that.
void ShowSystemInformation(HWND owner, const CompanionActions& actions);

// The offer's text, exactly as shown.
extern const wchar_t* const kSetupOfferText;

} // namespace tessaly
