// The verdict table: a UTF-8 CSV file (RFC 4180 quoting) with the header
// "md5,verdict,name,note". A line that cannot be read is reported by its number and the
// others are still taken; a later row for the same digest replaces the earlier one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lookup {

struct VerdictRow {
    std::string md5; // upper case
    int verdict = 0; // 0 to 9
    std::string name;
    std::string note;
};

struct CsvProblem {
    size_t line = 0; // 1-based; where the record starts
    std::string message;
};

struct VerdictTable {
    bool header_ok = false;
    std::vector<VerdictRow> rows; // one per digest, in order of first appearance
    std::vector<CsvProblem> problems;
};

// One CSV record split into its fields, with the line it starts on; `error` is set when
// the quoting is broken, and `fields` is then incomplete.
struct CsvRecord {
    size_t line = 0;
    std::vector<std::string> fields;
    std::string error;
};

std::vector<CsvRecord> SplitCsv(std::string_view text);

VerdictTable ParseVerdictCsv(std::string_view text);

} // namespace lookup
