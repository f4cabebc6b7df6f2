#include "verdict_csv.h"

#include "html.h"
#include "records.h"

#include <unordered_map>

namespace lookup {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool IsLineEnd(std::string_view text, size_t at) {
    return at < text.size() &&
           (text[at] == '\n' || (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n'));
}

// Moves past the line end at `at` (CRLF or LF).
size_t SkipLineEnd(std::string_view text, size_t at) {
    return text[at] == '\r' ? at + 2 : at + 1;
}

} // namespace

std::vector<CsvRecord> SplitCsv(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<CsvRecord> records;
    size_t at = 0;
    size_t line = 1;
    while (at < text.size()) {
        CsvRecord record;
        record.line = line;
        bool record_done = false;
        while (!record_done) {
            std::string field;
            if (at < text.size() && text[at] == '"') {
                ++at;
                bool closed = false;
                while (at < text.size()) {
                    const char c = text[at++];
                    if (c == '"') {
                        if (at < text.size() && text[at] == '"') {
                            field.push_back('"');
                            ++at;
                            continue;
                        }
                        closed = true;
                        break;
                    }
                    if (c == '\n')
                        ++line;
                    field.push_back(c);
                }
                if (!closed) {
                    record.error = "a quoted field is not closed";
                    at = text.size();
                    break;
                }
                if (at < text.size() && text[at] != ',' && !IsLineEnd(text, at)) {
                    record.error = "text after the closing quote of a field";
                    break;
                }
            } else {
                while (at < text.size() && text[at] != ',' && !IsLineEnd(text, at)) {
                    if (text[at] == '"') {
                        record.error = "a quote inside a field that does not start with one";
                        break;
                    }
                    field.push_back(text[at++]);
                }
                if (!record.error.empty())
                    break;
            }
            record.fields.push_back(std::move(field));
            if (at >= text.size()) {
                record_done = true;
            } else if (text[at] == ',') {
                ++at;
            } else {
                at = SkipLineEnd(text, at);
                ++line;
                record_done = true;
            }
        }
        if (!record.error.empty()) {
            // Resume at the next line; the rest of this one cannot be trusted.
            while (at < text.size() && text[at] != '\n')
                ++at;
            if (at < text.size()) {
                ++at;
                ++line;
            }
        }
        const bool blank =
            record.error.empty() && record.fields.size() == 1 && record.fields[0].empty();
        if (!blank)
            records.push_back(std::move(record));
    }
    return records;
}

VerdictTable ParseVerdictCsv(std::string_view text) {
    VerdictTable table;
    const auto records = SplitCsv(text);
    if (records.empty()) {
        table.problems.push_back(
            {1, "the file is empty; expected the header md5,verdict,name,note"});
        return table;
    }
    const CsvRecord& header = records.front();
    static constexpr std::string_view kColumns[] = {"md5", "verdict", "name", "note"};
    bool header_ok = header.error.empty() && header.fields.size() == 4;
    for (size_t i = 0; header_ok && i < 4; ++i) {
        std::string column(TrimBlanks(header.fields[i]));
        for (char& c : column)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        header_ok = column == kColumns[i];
    }
    if (!header_ok) {
        table.problems.push_back({header.line, "expected the header md5,verdict,name,note"});
        return table;
    }
    table.header_ok = true;

    std::unordered_map<std::string, size_t> index;
    for (size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        auto problem = [&](std::string message) {
            table.problems.push_back({record.line, std::move(message)});
        };
        if (!record.error.empty()) {
            problem(record.error);
            continue;
        }
        if (record.fields.size() != 4) {
            problem("expected 4 fields, found " + std::to_string(record.fields.size()));
            continue;
        }
        VerdictRow row;
        row.md5 = NormalizeDigest(record.fields[0]);
        if (row.md5.empty()) {
            problem("not an MD5 digest (32 hexadecimal digits)");
            continue;
        }
        const std::string_view verdict = TrimBlanks(record.fields[1]);
        if (verdict.size() != 1 || verdict[0] < '0' || verdict[0] > '9') {
            problem("the verdict must be one digit, 0 to 9");
            continue;
        }
        row.verdict = verdict[0] - '0';
        if (!IsUtf8(record.fields[2]) || !IsUtf8(record.fields[3])) {
            problem("the name or note is not UTF-8");
            continue;
        }
        row.name = record.fields[2];
        row.note = record.fields[3];
        const auto [it, fresh] = index.emplace(row.md5, table.rows.size());
        if (fresh)
            table.rows.push_back(std::move(row));
        else
            table.rows[it->second] = std::move(row);
    }
    return table;
}

} // namespace lookup
