// The addresses the program opens or fetches on the lookup server, and the cleaning of the
// file fields that go into them. Pure.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// MD5 digest bytes as text: two upper-case hexadecimal digits per byte ("0A", never "A").
std::wstring DigestText(const unsigned char* digest, size_t length);

// The version-data fields of a file, cleaned the same way for lookups and scan records.
struct FileFields {
    std::wstring company, product, version, path;
};
// Version cut to 20 characters; blank or "?" company and product become "unknown company" /
// "unknown product"; the "TODO:" placeholders of project templates become "unknown ...";
// "&" becomes a space; "?", "[", "<" and "|" are deleted ("<" and "|" separate fields and
// records in a scan request).
FileFields CleanFields(FileFields fields);

// UTF-8, every byte but A-Z a-z 0-9 - . _ ~ written %XX with upper-case hex.
std::wstring PercentEncode(std::wstring_view value);

// `text` with characters from its middle replaced by "…" so that its encoded form is at least
// `excess` bytes shorter (only "…" when that is all it can be). More of the end, where a path
// names its file, is kept than of the start; surrogate pairs stay whole.
std::wstring CutMiddle(std::wstring text, size_t excess);

// The longest address handed to the shell. Windows takes 2,083 characters; Wine's
// ShellExecute overflows a buffer of its own from about 975 and ends the program.
inline constexpr size_t kMaxOpenAddress = 960;

// The lookup server every address is built on: the `server` setting when it is an absolute
// http or https address (a final "/" added when missing), the built-in one otherwise.
inline constexpr const wchar_t* kDefaultLookupServer = L"http://127.0.0.1:47311/";
std::wstring LookupBaseUrl(const std::optional<std::wstring>& setting);

// What a lookup of one file sends.
struct LookupFile {
    std::wstring name, size, company, product, version, digest, path;
};
// info.asp for a process: the fields cleaned, then every value encoded; the middle of a path
// too long for the shell is cut.
std::wstring ProcessLookupAddress(std::wstring_view base, const LookupFile& file);
// info.asp for a startup entry: no cleaning, no digest, no path, and "&s=2".
std::wstring StartupLookupAddress(std::wstring_view base, const LookupFile& file);
std::wstring PrivacyAddress(std::wstring_view base);
std::wstring ReportAddress(std::wstring_view base, std::wstring_view scanKey);
std::wstring SetupAddress(std::wstring_view base);
std::wstring SupportMailAddress();

// The countries of the facts pages, in the order the list shows them.
extern const std::array<const wchar_t*, 243> kCountries;
// The facts page of one country: "?", "#", "%" and characters beyond ASCII encoded (one name
// holds literal question marks), everything else as listed.
std::wstring CountryAddress(std::wstring_view base, std::wstring_view country);

// Only web and mail addresses are handed to the shell: a file path or another scheme would
// start a program. Nor one longer than the shell takes.
bool IsOpenableAddress(std::wstring_view address);

} // namespace tessaly
