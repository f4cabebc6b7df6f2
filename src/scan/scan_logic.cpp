#include "scan/scan_logic.h"

#include "common/text.h"

#include <algorithm>
#include <cstdlib>

namespace tessaly {

namespace {

constexpr const wchar_t* kReportTail =
    L"\r\r To Read The Full Report Please Click --->\"See the results of Security check\" Link";

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Position of `needle` (lower-case ASCII) in `text` ignoring ASCII case, from `from`.
size_t FindNoCase(std::string_view text, std::string_view needle, size_t from) {
    if (needle.size() > text.size())
        return std::string_view::npos;
    for (size_t i = from; i + needle.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < needle.size() && LowerAscii(text[i + k]) == needle[k])
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::string_view::npos;
}

bool IsItemBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::wstring OsVersionName(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build) {
    if (platformId == 1) {
        switch (minor) {
        case 0:
            return L"Microsoft Windows 95";
        case 10:
            return (build & 0xFFFF) < 2183 ? L"Microsoft Windows 98"
                                           : L"Microsoft Windows 98 Second Edition";
        case 90:
            return L"Microsoft Windows Mellinnium Edition";
        default:
            return {};
        }
    }
    if (platformId != 2)
        return L"Other";
    switch (major) {
    case 3:
        return L"Microsoft Windows NT 3.51";
    case 4:
        return L"Microsoft Windows NT 4.0";
    case 5:
        return minor == 0   ? L"Microsoft Windows 2000"
               : minor == 1 ? L"Microsoft Windows XP"
                            : L"Microsoft Windows Sever 2003";
    case 6:
        return minor == 0 ? L"Windows Vista" : minor == 1 ? L"Windows 7" : L"Windows 8";
    default:
        return {};
    }
}

std::wstring ScanKey(int32_t volumeSerial, uint32_t secondsSinceMidnight) {
    // The one serial without a positive counterpart gives 0.
    const uint32_t number =
        volumeSerial == INT32_MIN ? 0 : static_cast<uint32_t>(std::abs(volumeSerial));
    return std::to_wstring(number) + L"-" + std::to_wstring(secondsSinceMidnight);
}

bool DistinctFiles::Add(std::wstring_view path) {
    if (Trim(path).empty())
        return false;
    std::wstring key = Lower(path);
    const auto at = std::lower_bound(keys_.begin(), keys_.end(), key);
    if (at != keys_.end() && *at == key)
        return false;
    keys_.insert(at, std::move(key));
    paths_.emplace_back(path);
    return true;
}

std::wstring ScanRecord(const ScanFile& file) {
    FileFields fields = file.fields;
    fields.path = file.path;
    const FileFields clean = CleanFields(std::move(fields));
    const std::wstring name = FileNamePart(Trim(file.path));
    return name + L"<" + clean.company + L"<" + clean.product + L"<" + clean.version + L"<" +
           file.size + L"<" + clean.path + L"<" + file.digest + L"<" + file.system;
}

std::wstring BatchAddress(std::wstring_view base, const std::vector<std::wstring>& records,
                          std::wstring_view scanKey) {
    std::wstring batch;
    for (const std::wstring& record : records)
        batch += record + L"|";
    std::erase(batch, L'\u00AE');
    return std::wstring(base) + L"prox.asp?files=" + PercentEncode(batch) + L"&p=5&s=2&sn=" +
           PercentEncode(scanKey);
}

size_t BatchCount(size_t files) {
    return (files + kBatchSize - 1) / kBatchSize;
}

namespace {

// The record with the middle of its path (its sixth field) cut by `excess` encoded bytes.
std::wstring ShortenPath(std::wstring record, size_t excess) {
    size_t begin = 0;
    for (int field = 0; field < 5; ++field) {
        const size_t separator = record.find(L'<', begin);
        if (separator == std::wstring::npos)
            return record;
        begin = separator + 1;
    }
    const size_t end = std::min(record.find(L'<', begin), record.size());
    return record.substr(0, begin) + CutMiddle(record.substr(begin, end - begin), excess) +
           record.substr(end);
}

} // namespace

Batches::Batches(std::wstring base, std::wstring scanKey, size_t maxRequestLine)
    : base_(std::move(base)), key_(std::move(scanKey)), max_(maxRequestLine) {}

std::wstring Batches::AddressOf(const std::vector<std::wstring>& records) const {
    return BatchAddress(base_, records, key_);
}

// What a request line adds to the address's path. Counting the scheme and host too errs on
// the safe side.
constexpr size_t kRequestLineFrame = std::wstring_view(L"GET  HTTP/1.1\r\n").size();

bool Batches::Fits(const std::wstring& address) const {
    return address.size() + kRequestLineFrame <= max_;
}

std::vector<std::wstring> Batches::Add(std::wstring record) {
    std::vector<std::wstring> complete;
    records_.push_back(std::move(record));
    if (records_.size() > 1 && !Fits(AddressOf(records_))) {
        std::wstring last = std::move(records_.back());
        records_.pop_back();
        complete.push_back(AddressOf(records_));
        records_ = {std::move(last)};
    }
    if (records_.size() == 1) {
        const std::wstring alone = AddressOf(records_);
        if (!Fits(alone))
            records_[0] =
                ShortenPath(std::move(records_[0]), alone.size() + kRequestLineFrame - max_);
    }
    if (records_.size() == kBatchSize) {
        complete.push_back(AddressOf(records_));
        records_.clear();
    }
    return complete;
}

std::optional<std::wstring> Batches::Finish() {
    if (records_.empty())
        return std::nullopt;
    std::wstring address = AddressOf(records_);
    records_.clear();
    return address;
}

std::string ResponseBody(std::string_view page) {
    size_t open = 0;
    while ((open = FindNoCase(page, "<body", open)) != std::string_view::npos) {
        const size_t after = open + 5;
        // "<bodyfoo>" is another element.
        if (after < page.size() &&
            (page[after] == '>' || IsItemBlank(page[after]) || page[after] == '/')) {
            const size_t close = page.find('>', after);
            if (close == std::string_view::npos)
                return {};
            const size_t start = close + 1;
            const size_t end = FindNoCase(page, "</body", start);
            return std::string(page.substr(
                start, end == std::string_view::npos ? std::string_view::npos : end - start));
        }
        open = after;
    }
    return std::string(page);
}

std::vector<std::string> WarningItems(std::string_view body) {
    std::vector<std::string> warnings;
    size_t start = 0;
    for (int index = 0; index < 5 && start <= body.size(); ++index) {
        size_t end = body.find(':', start);
        if (end == std::string_view::npos)
            end = body.size();
        std::string_view item = body.substr(start, end - start);
        while (!item.empty() && IsItemBlank(item.front()))
            item.remove_prefix(1);
        while (!item.empty() && IsItemBlank(item.back()))
            item.remove_suffix(1);
        if (!item.empty() && item.back() >= '1' && item.back() <= '5')
            warnings.emplace_back(item);
        start = end + 1;
    }
    return warnings;
}

std::optional<unsigned> RetryDelay(unsigned retriesDone, std::optional<std::wstring> retryAfter) {
    if (retriesDone >= 3)
        return std::nullopt;
    if (retryAfter) {
        const std::wstring value = Trim(*retryAfter);
        if (!value.empty() && std::all_of(value.begin(), value.end(),
                                          [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
            return value.size() > 2 ? 60u : std::min(60u, static_cast<unsigned>(std::stoul(value)));
    }
    return 2u << retriesDone;
}

std::wstring BusyStatus(unsigned seconds) {
    return L"Server busy, trying again in " + std::to_wstring(seconds) + L" s";
}

std::wstring FailureReason(FetchError error, unsigned status, std::wstring_view detail) {
    std::wstring reason;
    switch (error) {
    case FetchError::Connect:
        reason = L"No connection could be made";
        break;
    case FetchError::Timeout:
        reason = L"The server did not answer in time";
        break;
    case FetchError::Status:
        reason = L"The server answered with status " + std::to_wstring(status);
        break;
    case FetchError::TooLarge:
        reason = L"The server's answer was larger than 1 MiB";
        break;
    case FetchError::BadAddress:
        reason = L"The lookup server's address is not valid";
        break;
    case FetchError::Cancelled:
        reason = L"The check was stopped";
        break;
    case FetchError::None:
        break;
    }
    if (!detail.empty())
        reason += L" (" + std::wstring(detail) + L")";
    return reason;
}

EndMessage RunEndMessage(size_t warnings, const std::optional<std::wstring>& failure) {
    if (warnings > 0)
        return {L"You have dangerous file running in your system" + std::wstring(kReportTail), true,
                false};
    if (failure)
        return {L"The security check could not reach the lookup server.\r\r" + *failure +
                    L". Your files were not checked; please try again later.",
                false, true};
    return {L"Your System process files are safe" + std::wstring(kReportTail), false, false};
}

ScanWindowView ScanViewFor(ScanState state, bool answered) {
    switch (state) {
    case ScanState::Running:
        return {false, true, true, false, false};
    case ScanState::Done:
        return {true, false, false, answered, true};
    case ScanState::Idle:
        break;
    }
    return {true, false, false, false, true};
}

} // namespace tessaly
