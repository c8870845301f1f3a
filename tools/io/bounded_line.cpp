#include "tools/io/bounded_line.h"

#include <istream>

namespace sfqp::io {

namespace {

using traits = std::istream::traits_type;

// Skips the rest of an over-long line without keeping it, but never further
// than kLineSkipByteLimit: input without line ends (/dev/zero) stops there.
LineRead skip_to_line_end(std::istream& in, std::streambuf& buffer) {
  for (std::size_t skipped = 0; skipped < kLineSkipByteLimit; ++skipped) {
    const traits::int_type next = buffer.sbumpc();
    if (traits::eq_int_type(next, traits::eof())) {
      in.setstate(std::ios::eofbit);
      return LineRead::too_long;
    }
    if (traits::to_char_type(next) == '\n') {
      return LineRead::too_long;
    }
  }
  in.setstate(std::ios::failbit);
  return LineRead::endless;
}

}  // namespace

LineRead read_bounded_line(std::istream& in, std::string& line, std::size_t limit) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  if (!in.good() || buffer == nullptr) {
    in.setstate(std::ios::failbit);
    return LineRead::end;
  }
  bool any = false;
  for (;;) {
    const traits::int_type next = buffer->sbumpc();
    if (traits::eq_int_type(next, traits::eof())) {
      in.setstate(any ? std::ios::eofbit : std::ios::eofbit | std::ios::failbit);
      break;
    }
    any = true;
    const char c = traits::to_char_type(next);
    if (c == '\n') {
      break;
    }
    if (line.size() == limit) {
      return skip_to_line_end(in, *buffer);
    }
    line += c;
  }
  return any ? LineRead::line : LineRead::end;
}

}  // namespace sfqp::io
