// Reads input a line at a time with a bound on the line's length, so that a
// file without line ends (or /dev/zero on standard input) can take neither all
// the memory nor all the time: a longer line is consumed up to its end and
// reported as too long, and where no line end comes within a further bound the
// reading stops.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

namespace sfqp::io {

// No line of the tool's formats comes near this: a problem is about 2 kB.
inline constexpr std::size_t kLineByteLimit = std::size_t{1} << 20;  // 1 MiB

// Bytes of an over-long line skipped at most while looking for its end.
inline constexpr std::size_t kLineSkipByteLimit = std::size_t{64} << 20;  // 64 MiB

enum class LineRead { line, too_long, endless, end };

// Reads the next line into line (without its '\n'; a '\r' before it stays).
// too_long: the line had more than limit bytes; line holds its first limit
// bytes and the rest was skipped. endless: as too_long, but no line end came
// within kLineSkipByteLimit further bytes; the stream is left failed, so the
// next read gives end. end: no line was left (or the stream failed).
LineRead read_bounded_line(std::istream& in, std::string& line, std::size_t limit = kLineByteLimit);

}  // namespace sfqp::io
