#include "query.h"

namespace lookup {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

std::string PercentEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 15]);
        }
    }
    return out;
}

QueryParams ParseQuery(std::string_view query) {
    QueryParams params;
    while (!query.empty()) {
        const size_t amp = query.find('&');
        const std::string_view piece = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
        if (piece.empty())
            continue;
        const size_t eq = piece.find('=');
        if (eq == std::string_view::npos)
            params.emplace_back(PercentDecode(piece), std::string{});
        else
            params.emplace_back(PercentDecode(piece.substr(0, eq)),
                                PercentDecode(piece.substr(eq + 1)));
    }
    return params;
}

std::string_view QueryOf(std::string_view target) {
    const size_t q = target.find('?');
    return q == std::string_view::npos ? std::string_view{} : target.substr(q + 1);
}

std::optional<std::string> FindParam(const QueryParams& params, std::string_view key) {
    for (const auto& [k, v] : params)
        if (k == key)
            return v;
    return std::nullopt;
}

} // namespace lookup
