// The maker's addresses on the web and the one way they are opened.
#pragma once

#include <windows.h>

#include <string>

namespace tessaly {

// The lookup server's base address, ending in "/": the "server" setting under
// software\orvix\tessaly\lookup when it is an absolute http or https address, otherwise the
// built-in one.
std::wstring LookupBaseUrl();

// The maker's support mail address, without "mailto:".
std::wstring SupportMailAddress();

// Hands an http, https or mailto address to the shell (owner `owner`, hidden); any other
// kind is refused. False when refused or when the shell could not open it.
bool OpenWebAddress(HWND owner, const std::wstring& address);

} // namespace tessaly
