#include "common/text_codec.h"

namespace tessaly {

namespace {
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
}

std::string EncodeAnsiOrUtf8(std::wstring_view text, const TextCodec& codec) {
    // ANSI text that happens to begin like the mark would be read back as UTF-8.
    if (std::optional<std::string> ansi = codec.toAnsi(text); ansi && !ansi->starts_with(kUtf8Mark))
        return std::move(*ansi);
    return std::string(kUtf8Mark) + codec.toUtf8(text);
}

std::wstring DecodeAnsiOrUtf8(std::string_view bytes, const TextCodec& codec) {
    if (bytes.starts_with(kUtf8Mark))
        return codec.fromUtf8(bytes.substr(kUtf8Mark.size()));
    return codec.fromAnsi(bytes);
}

} // namespace tessaly
