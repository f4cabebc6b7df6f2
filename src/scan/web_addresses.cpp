#include "scan/web_addresses.h"

#include "common/text.h"
#include "settings/registry.h"
#include "win32/platform.h"

#include <shellapi.h>

namespace tessaly {

namespace {
constexpr const wchar_t* kDefaultBaseUrl = L"http://127.0.0.1:47311/";
constexpr const wchar_t* kLookupKey = L"software\\orvix\\tessaly\\lookup";

bool IsWebAddress(std::wstring_view address) {
    const std::wstring lower = Lower(address);
    const bool web = (lower.starts_with(L"http://") && lower.size() > 7) ||
                     (lower.starts_with(L"https://") && lower.size() > 8);
    return web && address.find_first_of(L" \t\r\n\"") == std::wstring_view::npos;
}
} // namespace

std::wstring LookupBaseUrl() {
    std::wstring server = Trim(SettingsStore().Text(kLookupKey, L"server"));
    if (!IsWebAddress(server))
        return kDefaultBaseUrl;
    if (!server.ends_with(L'/'))
        server += L'/';
    return server;
}

std::wstring SupportMailAddress() {
    return L"support@tessaly.example";
}

bool OpenWebAddress(HWND owner, const std::wstring& address) {
    if (!IsWebAddress(address) && !Lower(address).starts_with(L"mailto:"))
        return false;
    const std::wstring folder = ProgramFolder();
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(owner, L"open", address.c_str(), nullptr, folder.c_str(), SW_HIDE));
    return result > 32;
}

} // namespace tessaly
