// libFuzzer target: any bytes read as a name file, and what it gives written and read again.
#include "startup/host_codec.h"
#include "startup/name_file.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const tessaly::TextCodec codec = tessaly::test::HostCodec();
    const auto names =
        tessaly::DecodeNameFile(std::string_view(reinterpret_cast<const char*>(data), size), codec);
    for (const std::wstring& name : names)
        if (name.empty())
            std::abort();
    if (tessaly::DecodeNameFile(tessaly::EncodeNameFile(names, codec), codec) != names)
        std::abort();
    return 0;
}
