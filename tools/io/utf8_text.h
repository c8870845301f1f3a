// Whether a text given on the command line can stand inside the JSON the tool
// writes: well-formed UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF) without control characters.
#pragma once

#include <string_view>

namespace sfqp::io {

bool printable_utf8(std::string_view text);

}  // namespace sfqp::io
