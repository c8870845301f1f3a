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
  // istream::getline scans the stream's buffer a chunk at a time, where one
  // character at a time cost more than parsing the line. Each call may store
  // one character more than the line has room for, which tells an over-long
  // line from one exactly at the bound.
  char chunk[4096];
  bool any = false;
  for (;;) {
    const std::size_t room = limit - line.size();
    const auto size =
        static_cast<std::streamsize>(room < sizeof chunk - 1 ? room + 1 : sizeof chunk);
    in.getline(chunk, size);
    const auto taken = static_cast<std::size_t>(in.gcount());
    any = any || taken != 0;
    if (in.eof()) {
      line.append(chunk, taken);
      in.clear();
      in.setstate(any ? std::ios::eofbit : std::ios::eofbit | std::ios::failbit);
      return any ? LineRead::line : LineRead::end;
    }
    if (!in.fail()) {
      line.append(chunk, taken - 1);  // the line end was taken, not stored
      return LineRead::line;
    }
    // The chunk filled up before a line end came.
    in.clear();
    line.append(chunk, taken);
    if (line.size() == limit) {
      buffer->sbumpc();  // the first byte past the bound, not a line end
      return skip_to_line_end(in, *buffer);
    }
  }
}

}  // namespace sfqp::io
