#include "process/file_info_record.h"

#include "common/text.h"

namespace tessaly {

namespace {

bool IsMissing(std::wstring_view value) {
    const std::wstring trimmed = Trim(value);
    return trimmed.empty() || trimmed == L"?";
}

std::wstring_view OrElse(std::wstring_view value, std::wstring_view fallback) {
    return IsMissing(value) ? fallback : value;
}

// A "|" or line break inside a field would split the line for its readers.
void AppendField(std::wstring& line, std::wstring_view field) {
    for (const wchar_t c : field)
        line += c == L'|' || c == L'\r' || c == L'\n' ? L' ' : c;
}

} // namespace

std::wstring FoundFileRecord(std::wstring_view fileName, uint64_t size, std::wstring_view folder,
                             const FileInfoRecord& info) {
    const std::wstring_view stem = fileName.substr(0, fileName.find(L'.'));
    std::wstring line;
    AppendField(line, fileName);
    line += L'|';
    line += std::to_wstring(size);
    for (const std::wstring_view field :
         {folder, OrElse(info.description, L"Unknown Product"),
          OrElse(info.company, L"Unknown Company"), OrElse(info.productVersion, L"Unknown Version"),
          OrElse(info.productName, stem)}) {
        line += L'|';
        AppendField(line, field);
    }
    line += L'\r';
    return line;
}

bool IsRecordedFileName(std::wstring_view name) {
    const std::wstring lower = Lower(Trim(name));
    return !(lower.starts_with(L"setup") || lower.starts_with(L"unins"));
}

} // namespace tessaly
