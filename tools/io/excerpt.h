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

// Bytes of a name (a file's path, an option's value) shown at most.
inline constexpr std::size_t kNameExcerptBytes = 256;

// A name the user gave (a file's path, an option's value), to be recognised:
// as it is when it is printable UTF-8 of at most kNameExcerptBytes bytes
// ("Übung/run 1.csv"), otherwise quoted, cut and escaped as an excerpt is,
// with its printable UTF-8 characters kept.
std::string name_excerpt(std::string_view text);

// Bytes of a whole message shown at most.
inline constexpr std::size_t kMessageBytes = 1024;

// A message that quotes what the user typed without our escaping (the command
// line parser's own): not quoted, its printable UTF-8 as it is, control
// characters and broken bytes escaped, cut past kMessageBytes.
std::string message_excerpt(std::string_view text);

}  // namespace sfqp::io
