// libFuzzer entry for the check request: any query text must be decoded, split into records
// and escaped without a fault, and every record must come back as exactly one answer item.
#include "html.h"
#include "pages.h"
#include "query.h"
#include "records.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto query = lookup::ParseQuery(text);
    const auto files = lookup::FindParam(query, "files");
    if (!files)
        return 0;
    const lookup::Batch batch = lookup::ParseBatch(*files);
    if (batch.records.size() > lookup::kMaxRecords)
        std::abort();
    size_t items = 1;
    for (const auto& record : batch.records) {
        if (!lookup::IsUtf8(lookup::EscapeHtml(record.path)))
            std::abort();
        if (record.md5.size() != 0 && record.md5.size() != 32)
            std::abort();
    }
    const std::string answer =
        lookup::CheckAnswer(batch.records, std::vector<int>(batch.records.size(), 0));
    for (char c : answer)
        items += c == ':';
    if (!batch.records.empty() && items != batch.records.size())
        std::abort();
    return 0;
}
