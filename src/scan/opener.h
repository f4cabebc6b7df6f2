// The one way the program hands an address to the user's browser or mail program.
#pragma once

#include "settings/registry.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace tessaly {

// Opens an http, https or mailto address through the shell; anything else (a file, another
// scheme) is refused and false returned. Failures of the shell are not reported.
bool OpenAddress(HWND owner, std::wstring_view address);

// The lookup server's base address, read afresh from the settings.
std::wstring LookupServer(const SettingsStore& settings);

} // namespace tessaly
