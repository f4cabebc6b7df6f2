// libFuzzer entry for the verdict table: any bytes must be read without a fault, and what is
// taken must be well formed.
#include "html.h"
#include "verdict_csv.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto table =
        lookup::ParseVerdictCsv(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& row : table.rows) {
        if (row.md5.size() != 32 || row.verdict < 0 || row.verdict > 9 || !lookup::IsUtf8(row.name))
            std::abort();
    }
    for (const auto& problem : table.problems)
        if (problem.line == 0)
            std::abort();
    return 0;
}
