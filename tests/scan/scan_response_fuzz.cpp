// libFuzzer entry for reading the lookup server's answers: any page must be read without a
// fault, and every warning item found must really end in a warning digit.
#include "scan/scan_logic.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const std::string body = tessaly::ResponseBody(page);
    if (body.size() > page.size())
        std::abort();
    const auto warnings = tessaly::WarningItems(body);
    if (warnings.size() > 5)
        std::abort();
    for (const std::string& item : warnings)
        if (item.empty() || item.back() < '1' || item.back() > '5')
            std::abort();
    return 0;
}
