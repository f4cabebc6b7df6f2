#include "settings/value_text.h"

namespace tessaly {

std::wstring DwordValueText(uint32_t value) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring hex;
    do {
        hex.insert(hex.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value);
    return L"&h" + hex;
}

} // namespace tessaly
