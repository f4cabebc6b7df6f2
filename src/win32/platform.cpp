#include "win32/platform.h"

#include "common/number_format.h"
#include "common/text.h"

#include <mutex>
#include <vector>

namespace tessaly {

namespace {
std::string Narrow(UINT codePage, std::wstring_view text) {
    if (text.empty())
        return {};
    const int length = ::WideCharToMultiByte(
        codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(length > 0 ? length : 0, '\0');
    if (length > 0)
        ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                              length, nullptr, nullptr);
    return out;
}
std::wstring Widen(UINT codePage, std::string_view text) {
    if (text.empty())
        return {};
    const int length =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(length > 0 ? length : 0, L'\0');
    if (length > 0)
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(),
                              length);
    return out;
}
} // namespace

std::optional<std::string> ToAnsiExactly(std::wstring_view text) {
    std::string ansi = ToAnsi(text);
    if (FromAnsi(ansi) != text)
        return std::nullopt;
    return ansi;
}

TextCodec SystemTextCodec() {
    return {ToAnsiExactly, FromAnsi, ToUtf8, FromUtf8};
}

wchar_t FoldCase(wchar_t c) {
    wchar_t folded = c;
    ::CharLowerBuffW(&folded, 1);
    return folded;
}

std::string SortKey(std::wstring_view text) {
    if (text.empty())
        return {};
    // Digits by value came with Windows 7; a system without it sorts them as characters.
    for (const DWORD flags : {DWORD{LCMAP_SORTKEY | NORM_IGNORECASE | SORT_DIGITSASNUMBERS},
                              DWORD{LCMAP_SORTKEY | NORM_IGNORECASE}}) {
        const int length =
            ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, text.data(),
                            static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr, 0);
        if (length <= 0)
            continue;
        std::string key(static_cast<size_t>(length), '\0');
        if (::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, text.data(),
                            static_cast<int>(text.size()), reinterpret_cast<wchar_t*>(key.data()),
                            length, nullptr, nullptr, 0) > 0) {
            key.resize(key.size() - 1); // the key's own terminating zero
            return key;
        }
    }
    return std::string(reinterpret_cast<const char*>(Lower(text).data()),
                       text.size() * sizeof(wchar_t));
}

namespace {
// The user's separators, read once and again after a settings change: the memory figures are
// formatted ten times a second, and reading the locale is not free.
struct Separators {
    std::mutex lock;
    bool known = false;
    wchar_t decimal[8] = L".";
    wchar_t thousand[8] = L",";
};
Separators& UserSeparators() {
    static Separators separators;
    return separators;
}
} // namespace

void RefreshNumberFormat() {
    Separators& s = UserSeparators();
    std::lock_guard guard(s.lock);
    s.known = false;
}

std::wstring FormatNumber(double value, int decimals, bool grouping) {
    const std::wstring plain = [&] {
        wchar_t buffer[64];
        swprintf(buffer, 64, L"%.*f", decimals, RoundHalfAway(value, decimals));
        return std::wstring(buffer);
    }();
    wchar_t decimal[8], thousand[8];
    {
        Separators& s = UserSeparators();
        std::lock_guard guard(s.lock);
        if (!s.known) {
            if (!::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, s.decimal, 8))
                wcscpy(s.decimal, L".");
            if (!::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_STHOUSAND, s.thousand, 8))
                wcscpy(s.thousand, L",");
            s.known = true;
        }
        wcscpy(decimal, s.decimal);
        wcscpy(thousand, s.thousand);
    }
    NUMBERFMTW format{};
    format.NumDigits = static_cast<UINT>(decimals);
    format.LeadingZero = 1;
    format.Grouping = grouping ? 3 : 0;
    format.lpDecimalSep = decimal;
    format.lpThousandSep = thousand;
    format.NegativeOrder = 1;
    wchar_t out[96];
    if (::GetNumberFormatEx(LOCALE_NAME_USER_DEFAULT, 0, plain.c_str(), &format, out, 96) > 0)
        return out;
    return plain;
}

std::string ToAnsi(std::wstring_view text) {
    return Narrow(CP_ACP, text);
}
std::string ToUtf8(std::wstring_view text) {
    return Narrow(CP_UTF8, text);
}
std::wstring FromAnsi(std::string_view text) {
    return Widen(CP_ACP, text);
}
std::wstring FromUtf8(std::string_view text) {
    return Widen(CP_UTF8, text);
}

std::wstring ErrorText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : L"Error " + std::to_wstring(code);
    if (buffer)
        ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text;
}

std::wstring ModulePath(HMODULE module) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ProgramFolder() {
    const std::wstring path = ModulePath();
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

OsVersion RealOsVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    if (!rtlGetVersion || rtlGetVersion(&info) != 0)
        return {};
    return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId};
}

UINT WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    if (dpi == 0) {
        HDC screen = ::GetDC(nullptr);
        dpi = static_cast<UINT>(::GetDeviceCaps(screen, LOGPIXELSX));
        ::ReleaseDC(nullptr, screen);
    }
    return dpi ? dpi : 96;
}

int Scale(HWND window, int pixels96) {
    return ::MulDiv(pixels96, static_cast<int>(WindowDpi(window)), 96);
}

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(length + 1, L'\0');
    text.resize(::GetWindowTextW(window, text.data(), length + 1));
    return text;
}

} // namespace tessaly
