// libFuzzer entry for the version block reader: any bytes must be read without a fault and
// without running forever.
#include "process/version_block.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tessaly::ScanVersionBlock(data, size);
    if (const auto translation = tessaly::FirstTranslation(data, size))
        tessaly::FindVersionString(
            data, size, tessaly::TranslationKey(translation->language, translation->codePage),
            L"FileDescription");
    tessaly::FindVersionString(data, size, L"040904b0", L"companyname");
    return 0;
}
