// A text codec for the host tests and fuzz targets: Latin-1 stands in for the ANSI code page,
// UTF-8 is read by hand (wchar_t holds whole code points here) and written by the host build's
// ToUtf8.
#pragma once

#include "common/text.h"
#include "common/text_codec.h"

namespace tessaly::test {

inline std::optional<std::string> HostToAnsi(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) {
        if (static_cast<unsigned long>(c) > 0xFF)
            return std::nullopt;
        out += static_cast<char>(c);
    }
    return out;
}

// Malformed sequences become U+FFFD, as the system's decoder makes them.
inline std::wstring HostFromUtf8(std::string_view bytes) {
    std::wstring out;
    for (size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const int more = b < 0x80         ? 0
                         : (b >> 5) == 6  ? 1
                         : (b >> 4) == 14 ? 2
                         : (b >> 3) == 30 ? 3
                                          : -1;
        unsigned long c = more == 0   ? b
                          : more == 1 ? (b & 0x1F)
                          : more == 2 ? (b & 0x0F)
                                      : (b & 0x07);
        bool ok = more >= 0;
        for (int k = 1; ok && k <= more; ++k) {
            if (i + k >= bytes.size() || (static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        }
        // Beyond Unicode, or a surrogate: not a character either.
        ok = ok && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        if (!ok) {
            out += static_cast<wchar_t>(0xFFFD);
            ++i;
            continue;
        }
        out += static_cast<wchar_t>(c);
        i += static_cast<size_t>(more) + 1;
    }
    return out;
}

inline TextCodec HostCodec() {
    return {HostToAnsi,
            [](std::string_view bytes) {
                std::wstring out;
                for (char c : bytes)
                    out += static_cast<wchar_t>(static_cast<unsigned char>(c));
                return out;
            },
            ToUtf8, HostFromUtf8};
}

} // namespace tessaly::test
