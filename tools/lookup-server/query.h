// Query strings as the client writes them: "&"-separated "key=value" pairs whose values are
// percent-encoded UTF-8. A "+" is a plus sign, not a space: the client encodes spaces as %20,
// and file names such as "notepad++.exe" must arrive whole.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lookup {

using QueryParams = std::vector<std::pair<std::string, std::string>>;

// "%XX" with two hexadecimal digits becomes that byte; a "%" without them stays as it is.
std::string PercentDecode(std::string_view text);

// Every byte but A-Z a-z 0-9 - . _ ~ as "%XX" (upper-case hex): how the client writes values.
std::string PercentEncode(std::string_view text);

// The pairs of the text after "?", decoded, in order. A piece without "=" is a key with an
// empty value; empty pieces are dropped.
QueryParams ParseQuery(std::string_view query);

// The query part of a request target ("/x?a=1" gives "a=1"; none gives "").
std::string_view QueryOf(std::string_view target);

// The first value given for `key`, if any.
std::optional<std::string> FindParam(const QueryParams& params, std::string_view key);

} // namespace lookup
