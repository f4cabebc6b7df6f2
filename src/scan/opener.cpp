#include "scan/opener.h"

#include "scan/lookup_text.h"
#include "settings/setting_names.h"
#include "win32/platform.h"

#include <shellapi.h>

namespace tessaly {

bool OpenAddress(HWND owner, std::wstring_view address) {
    if (!IsOpenableAddress(address))
        return false;
    const std::wstring target(address);
    const std::wstring folder = ProgramFolder();
    ::ShellExecuteW(owner, L"open", target.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
    return true;
}

std::wstring LookupServer(const SettingsStore& settings) {
    return LookupBaseUrl(settings.Read(settings::kLookupKey, settings::kLookupServer));
}

} // namespace tessaly
