// What the server answers: the check answer the client parses, and the pages people read.
#pragma once

#include "query.h"
#include "records.h"
#include "store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lookup {

// "name=code" per record, in order, joined by ":". Names are escaped, and their own ":"
// written as "&#58;", so each record gives exactly one item.
std::string CheckAnswer(const std::vector<FileRecord>& records, const std::vector<int>& verdicts);

std::string ReportPage(std::string_view key, const std::vector<StoredRecord>& records);

// The page of one file as the lookup link describes it; the verdict comes from its digest.
std::string InfoPage(const QueryParams& query, const std::optional<Verdict>& verdict);

std::string PrivacyPage(int keep_days);
std::string HomePage(bool has_setup);
std::string ErrorPage(int status, std::string_view message);

std::string_view StyleSheet();

std::string VerdictLabel(int code);

// "2026-12-07 16:30:05 UTC"
std::string FormatTime(int64_t seconds_since_1970);

inline bool IsWarning(int code) {
    return code >= 1 && code <= 5;
}

} // namespace lookup
