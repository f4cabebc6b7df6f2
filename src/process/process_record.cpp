#include "process/process_record.h"

#include "common/text.h"

namespace tessaly {

uint32_t KilobytesHalfEven(uint64_t bytes) {
    uint64_t kb = bytes / 1024;
    const uint64_t rest = bytes % 1024;
    if (rest > 512 || (rest == 512 && (kb & 1)))
        ++kb;
    return kb > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kb);
}

std::wstring CleanProcessPath(std::wstring_view path, std::wstring_view systemRoot) {
    std::wstring cleaned = Lower(path);
    cleaned = ReplaceAll(cleaned, L"\\systemroot", systemRoot);
    return ReplaceAll(cleaned, L"\\??\\", L"");
}

bool IsListedImageName(std::wstring_view name) { return name.find(L'.') != std::wstring_view::npos; }

} // namespace tessaly
