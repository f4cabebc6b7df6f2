// libFuzzer entry for the version block reader: any bytes must be read without a fault and
// without running forever.
#include "process/version_block.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tessaly::ScanVersionBlock(data, size);
    return 0;
}
