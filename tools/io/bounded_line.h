// Reads input a line at a time with a bound on the line's length, so that a
// file without line ends (or /dev/zero on standard input) cannot take all the
// memory: a longer line is consumed up to its end and reported as too long.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

namespace sfqp::io {

// No line of the tool's formats comes near this: a problem is about 2 kB.
inline constexpr std::size_t kLineByteLimit = std::size_t{1} << 20;  // 1 MiB

enum class LineRead { line, too_long, end };

// Reads the next line into line (without its '\n'; a '\r' before it stays).
// too_long: the line had more than limit bytes; line holds its first limit
// bytes and the rest was skipped. end: no line was left (or the stream failed).
LineRead read_bounded_line(std::istream& in, std::string& line, std::size_t limit = kLineByteLimit);

}  // namespace sfqp::io
