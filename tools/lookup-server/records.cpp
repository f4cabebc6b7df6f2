#include "records.h"

namespace lookup {
namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

bool AllDigits(std::string_view text, size_t min, size_t max) {
    if (text.size() < min || text.size() > max)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

FileRecord ParseRecord(std::string_view text) {
    const auto fields = Split(text, '<');
    FileRecord record;
    if (fields.size() != 8) {
        record.malformed = true;
        record.raw = text;
        record.name = fields.front();
        return record;
    }
    record.name = fields[0];
    record.company = fields[1];
    record.product = fields[2];
    record.version = fields[3];
    record.size = fields[4];
    record.path = fields[5];
    record.md5 = NormalizeDigest(fields[6]);
    record.system = fields[7];
    return record;
}

} // namespace

Batch ParseBatch(std::string_view files) {
    Batch batch;
    auto pieces = Split(files, '|');
    // Every record ends with "|", so the piece after the last one is empty.
    if (pieces.back().empty())
        pieces.pop_back();
    if (pieces.empty() || (pieces.size() == 1 && pieces[0].empty())) {
        batch.error = BatchError::Empty;
        return batch;
    }
    if (pieces.size() > kMaxRecords) {
        batch.error = BatchError::TooMany;
        return batch;
    }
    for (std::string_view piece : pieces)
        batch.records.push_back(ParseRecord(piece));
    return batch;
}

std::string NormalizeDigest(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    if (text.size() != 32)
        return {};
    std::string digest;
    for (char c : text) {
        if (c >= 'a' && c <= 'f')
            c = static_cast<char>(c - 'a' + 'A');
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return {};
        digest.push_back(c);
    }
    return digest;
}

bool IsScanKey(std::string_view key) {
    const size_t dash = key.find('-');
    if (dash == std::string_view::npos)
        return false;
    // The volume number fits 32 bits (ten digits); the stamp is below 86400 (five).
    return AllDigits(key.substr(0, dash), 1, 10) && AllDigits(key.substr(dash + 1), 1, 5);
}

} // namespace lookup
