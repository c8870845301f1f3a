// The one way input text is echoed in an error message: quoted, cut to a
// bounded length and with every byte that is not printable ASCII written as an
// escape, so that a 10 MB line or binary garbage cannot flood or garble the
// terminal.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sfqp::io {

// Bytes of the input shown at most; a longer text ends in "..." and its length.
inline constexpr std::size_t kExcerptBytes = 80;

// text in double quotes: printable ASCII as it is, '"' and '\' escaped with a
// backslash, \t \r \n as such, other bytes as \xHH. Past kExcerptBytes the
// excerpt is cut and says how long the whole text was:
// "abc..." (10485760 bytes).
std::string excerpt(std::string_view text);

}  // namespace sfqp::io
