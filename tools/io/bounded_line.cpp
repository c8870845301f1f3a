#include "tools/io/bounded_line.h"

#include <istream>
#include <limits>

namespace sfqp::io {

LineRead read_bounded_line(std::istream& in, std::string& line, std::size_t limit) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  if (!in.good() || buffer == nullptr) {
    in.setstate(std::ios::failbit);
    return LineRead::end;
  }
  using traits = std::istream::traits_type;
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
      // Skip to the line's end without keeping it.
      in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
      return LineRead::too_long;
    }
    line += c;
  }
  return any ? LineRead::line : LineRead::end;
}

}  // namespace sfqp::io
