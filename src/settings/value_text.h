// How registry data turns into the text the settings code works with. Pure.
#pragma once

#include <cstdint>
#include <string>

namespace tessaly {

// A REG_DWORD as "&h" and its hexadecimal digits (256 gives &h100, 1 gives &h1), the form
// the leading-number parse reads back as the same number.
std::wstring DwordValueText(uint32_t value);

} // namespace tessaly
