// The startup name files: one name per line, each line ended by CR LF, in the ANSI code page
// or, when a name does not fit it, in UTF-8 behind a byte-order mark. Pure.
#pragma once

#include "common/text_codec.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// One name per line, each ending in CR LF.
std::wstring NameFileText(const std::vector<std::wstring>& names);

std::string EncodeNameFile(const std::vector<std::wstring>& names, const TextCodec& codec);

// Every line, trimmed, that is not blank; a last line without its end counts. Any bytes
// at all are read as names.
std::vector<std::wstring> DecodeNameFile(std::string_view bytes, const TextCodec& codec);

} // namespace tessaly
