// Text files in the ANSI code page when every character fits it, otherwise as UTF-8 behind a
// byte-order mark; a file with the mark is read as UTF-8, any other as ANSI. Pure: the
// conversions are the platform's, handed in (SystemTextCodec on Windows).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

struct TextCodec {
    // Nothing when some character has no place in the ANSI code page.
    std::function<std::optional<std::string>(std::wstring_view)> toAnsi;
    std::function<std::wstring(std::string_view)> fromAnsi;
    std::function<std::string(std::wstring_view)> toUtf8;
    std::function<std::wstring(std::string_view)> fromUtf8;
};

std::string EncodeAnsiOrUtf8(std::wstring_view text, const TextCodec& codec);
std::wstring DecodeAnsiOrUtf8(std::string_view bytes, const TextCodec& codec);

} // namespace tessaly
