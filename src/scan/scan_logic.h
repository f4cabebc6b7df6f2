// The security check's arithmetic: which files are checked, how records travel in batches,
// how answers are read, the scan key and the texts the user sees at the end. Pure.
#pragma once

#include "scan/lookup_text.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// The system name sent with every record, from the reported platform and version; the
// 9x family's build field carries version numbers in its high word.
std::wstring OsVersionName(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build);

// The key that ties a run's requests and its report together: the system volume's serial
// made positive ("0" when it cannot be), "-", and the seconds since local midnight when the
// run started.
std::wstring ScanKey(int32_t volumeSerial, uint32_t secondsSinceMidnight);

// Each file once, in first-seen order: paths that differ only in letter case are one file.
class DistinctFiles {
public:
    // False when the path was seen before (or is blank).
    bool Add(std::wstring_view path);
    const std::vector<std::wstring>& Paths() const { return paths_; }

private:
    std::vector<std::wstring> paths_;
    std::vector<std::wstring> keys_; // sorted lower-case paths
};

// One file as a scan sends it: name<company<product<version<size<path<digest<system.
struct ScanFile {
    std::wstring path; // as the system reported it
    FileFields fields; // uncleaned version data (path left empty: taken from `path`)
    std::wstring size, digest, system;
};
std::wstring ScanRecord(const ScanFile& file);

// Records go five to a request; the last request takes what is left.
inline constexpr size_t kBatchSize = 5;
// The request for a batch of records: each record followed by "|", "®" removed, the whole
// text one encoded value.
std::wstring BatchAddress(std::wstring_view base, const std::vector<std::wstring>& records,
                          std::wstring_view scanKey);
// How many requests `files` records take.
size_t BatchCount(size_t files);

// The longest request line ("GET <path> HTTP/1.1" and its line break) the lookup server reads.
inline constexpr size_t kMaxRequestLine = 64 * 1024;

// Gathers records into requests: five to a request, the last taking what is left, fewer when
// five would make a request longer than the server reads (long Unicode paths take nine bytes
// a character). Each record goes in exactly one request. A record too long for a request of
// its own has the middle of its path replaced by "…"; its digest still decides its verdict.
class Batches {
public:
    Batches(std::wstring base, std::wstring scanKey, size_t maxRequestLine = kMaxRequestLine);
    // The addresses this record completes: none, one or two.
    std::vector<std::wstring> Add(std::wstring record);
    // The address of the records not yet sent, if any.
    std::optional<std::wstring> Finish();

private:
    std::wstring AddressOf(const std::vector<std::wstring>& records) const;
    bool Fits(const std::wstring& address) const;

    std::wstring base_, key_;
    size_t max_;
    std::vector<std::wstring> records_;
};

// The text inside <body ...>...</body> (any case); the whole text when there is no body.
std::string ResponseBody(std::string_view page);
// The items of an answer that carry a warning code (1 to 5): the first five ":"-separated
// items, each trimmed of blanks and line breaks, whose last character is that digit.
std::vector<std::string> WarningItems(std::string_view body);

// How long to wait before asking a busy server again (429, 503): its Retry-After seconds
// (at most 60), else 2, 4, 8; nothing after the third retry.
std::optional<unsigned> RetryDelay(unsigned retriesDone, std::optional<std::wstring> retryAfter);
std::wstring BusyStatus(unsigned seconds);

// Why a request failed, as the end message says it.
enum class FetchError { None, Connect, Timeout, Status, TooLarge, Cancelled, BadAddress };
std::wstring FailureReason(FetchError error, unsigned status, std::wstring_view detail);

// The box at the end of a run.
struct EndMessage {
    std::wstring text;
    bool critical = false; // the stop icon; otherwise information or warning
    bool warningIcon = false;
};
EndMessage RunEndMessage(size_t warnings, const std::optional<std::wstring>& failure);

// What the scan window shows in each state of a run.
enum class ScanState { Idle, Running, Done };
struct ScanWindowView {
    bool description = false, status = false, progress = false, resultsLink = false;
    bool startEnabled = false;
};
// `answered`: the report link is offered only when the server holds something of the run.
ScanWindowView ScanViewFor(ScanState state, bool answered);

} // namespace tessaly
