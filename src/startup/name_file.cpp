#include "startup/name_file.h"

#include "common/text.h"

namespace tessaly {

std::wstring NameFileText(const std::vector<std::wstring>& names) {
    std::wstring text;
    for (const std::wstring& name : names)
        text += name + L"\r\n";
    return text;
}

std::string EncodeNameFile(const std::vector<std::wstring>& names, const TextCodec& codec) {
    return EncodeAnsiOrUtf8(NameFileText(names), codec);
}

std::vector<std::wstring> DecodeNameFile(std::string_view bytes, const TextCodec& codec) {
    const std::wstring text = DecodeAnsiOrUtf8(bytes, codec);
    std::vector<std::wstring> names;
    std::wstring_view rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find_first_of(L"\r\n");
        std::wstring name = Trim(rest.substr(0, end));
        if (!name.empty())
            names.push_back(std::move(name));
        if (end == std::wstring_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return names;
}

} // namespace tessaly
