// Text from requests and from the verdict table is data, never markup.
#pragma once

#include <string>
#include <string_view>

namespace lookup {

// Escaped for HTML text and quoted attribute values: & < > " ' become entities, bytes that
// are not UTF-8 become U+FFFD, and control and bidirectional-override characters are shown as
// "[U+XXXX]" so a name cannot hide or reverse what follows it.
std::string EscapeHtml(std::string_view text);

bool IsUtf8(std::string_view text);

} // namespace lookup
