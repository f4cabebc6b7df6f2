// Small facts and conversions every subsystem needs from the OS.
#pragma once

#include <windows.h>

#include "common/text_codec.h"

#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

std::string ToAnsi(std::wstring_view text); // the system's ANSI code page
std::string ToUtf8(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);
std::wstring FromUtf8(std::string_view text);
// The text in the ANSI code page when every character survives the trip there and back.
std::optional<std::string> ToAnsiExactly(std::wstring_view text);
// The conversions above, for text files written in ANSI or else UTF-8.
TextCodec SystemTextCodec();

// Forgets the user's number separators, so the next formatted number reads them afresh
// (after WM_SETTINGCHANGE).
void RefreshNumberFormat();

// The message of a Windows error code, without the trailing line break.
std::wstring ErrorText(DWORD code);

// Full path of this program's file and its folder (no trailing backslash); long paths are
// read in full.
std::wstring ModulePath(HMODULE module = nullptr);
std::wstring ProgramFolder();

// The real version of Windows (GetVersionEx is capped at 6.2 for programs without a
// matching manifest entry; RtlGetVersion is not).
struct OsVersion {
    DWORD major = 0, minor = 0, build = 0, platformId = 0;
};
OsVersion RealOsVersion();

// Pixels scaled from 96 DPI to the window's DPI.
int Scale(HWND window, int pixels96);
UINT WindowDpi(HWND window);

// Text of a window or control.
std::wstring WindowText(HWND window);

} // namespace tessaly
