// libFuzzer target: any command line resolved, with a Windows folder where every third
// candidate exists.
#include "startup/command_resolver.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::wstring command;
    for (size_t i = 0; i + 1 < size; i += 2)
        command += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    int asked = 0;
    const auto resolved = tessaly::ResolveCommand(
        command, L"C:\\WINDOWS", [&](const std::wstring&) { return ++asked % 3 == 0; });
    // A path always ends in ".exe" and its file name is its own tail.
    if (!resolved.path.empty() &&
        (resolved.path.size() < 4 ||
         resolved.path.compare(resolved.path.size() - 4, 4, L".exe") != 0))
        std::abort();
    if (resolved.path.size() < resolved.fileName.size() ||
        resolved.path.compare(resolved.path.size() - resolved.fileName.size(),
                              resolved.fileName.size(), resolved.fileName) != 0)
        std::abort();
    return 0;
}
