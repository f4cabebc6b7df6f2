// Where the program keeps its settings. Paths are written as the program has always written
// them, case included.
#pragma once

namespace tessaly::settings {

inline constexpr const wchar_t* kOptionKey = L"software\\orvix\\tessaly\\option\\free";
inline constexpr const wchar_t* kRamOptKey = L"software\\orvix\\tessaly\\ramopt";
inline constexpr const wchar_t* kProductKey = L"SOFTWARE\\orvix\\tessaly";
inline constexpr const wchar_t* kStateKey = L"software\\orvix\\tessaly\\";

inline constexpr const wchar_t* kRefresh = L"refresh";
inline constexpr const wchar_t* kRefreshSeconds = L"reftm";
// The longest refresh interval "reftm" may hold: a day.
inline constexpr double kLongestRefreshSeconds = 24 * 3600;
inline constexpr const wchar_t* kLoad = L"load";
inline constexpr const wchar_t* kLoadType = L"loadtype";
inline constexpr const wchar_t* kStartupMonitor = L"startup monitor";
inline constexpr const wchar_t* kHotkeyOn = L"1";
inline constexpr const wchar_t* kHotkeyKey = L"key";
inline constexpr const wchar_t* kLowMemoryLevel = L"trigg";
inline constexpr const wchar_t* kLowMemoryOn = L"3";

// The lookup server's address (REG_SZ), for the security check and the lookup links.
inline constexpr const wchar_t* kLookupKey = L"software\\orvix\\tessaly\\lookup";
inline constexpr const wchar_t* kLookupServer = L"server";

inline constexpr const wchar_t* kUserRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const wchar_t* kUserRunKeyForDelete =
    L"software\\microsoft\\windows\\currentversion\\run\\";
inline constexpr const wchar_t* kAutostartValue = L"varnok.exe";

} // namespace tessaly::settings
