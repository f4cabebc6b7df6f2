// The file records of one check request. The client sends each file as eight fields joined
// by "<" (name, company, product, version, size, path, MD5 digest, system name), every record
// followed by "|", all of it as one decoded query value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lookup {

struct FileRecord {
    std::string name;
    std::string company;
    std::string product;
    std::string version;
    std::string size;
    std::string path;
    std::string md5; // upper case when it is a digest at all, otherwise empty
    std::string system;
    // A record without exactly eight fields keeps its text here and its first field as name.
    bool malformed = false;
    std::string raw;
};

// More records than this in one request is refused, not truncated: the client sends five.
inline constexpr size_t kMaxRecords = 100;

enum class BatchError { None, Empty, TooMany };

struct Batch {
    std::vector<FileRecord> records;
    BatchError error = BatchError::None;
};

Batch ParseBatch(std::string_view files);

// 32 hexadecimal digits (blanks around them ignored) in upper case; anything else gives "".
std::string NormalizeDigest(std::string_view text);

// A scan key: decimal volume number, "-", seconds since midnight.
bool IsScanKey(std::string_view key);

} // namespace lookup
