#include "tools/io/plain_problem_line.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <string>
#include <system_error>

#include "tools/io/number_text.h"

namespace sfqp::io {

namespace {

// A cursor over the line. Every read returns false on anything outside the
// plain shape; the caller then gives up on the whole line.
class PlainReader {
 public:
  explicit PlainReader(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}

  void skip_space() {
    while (p_ != end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\r' || *p_ == '\n')) {
      ++p_;
    }
  }

  bool at_end() const { return p_ == end_; }

  bool take(char c) {
    skip_space();
    if (p_ == end_ || *p_ != c) {
      return false;
    }
    ++p_;
    return true;
  }

  bool peek(char c) {
    skip_space();
    return p_ != end_ && *p_ == c;
  }

  // A string of printable ASCII without escapes; its text, quotes excluded.
  bool plain_string(std::string_view& text) {
    if (!take('"')) {
      return false;
    }
    const char* start = p_;
    for (; p_ != end_ && *p_ != '"'; ++p_) {
      if (*p_ < 0x20 || *p_ > 0x7e || *p_ == '\\') {
        return false;
      }
    }
    if (p_ == end_) {
      return false;
    }
    text = std::string_view(start, static_cast<std::size_t>(p_ - start));
    ++p_;
    return true;
  }

  // A JSON number, or a plain string that read_number_text reads, as the full
  // reader reads them: a whole number goes through a 64-bit integer when it
  // fits (so "-0" is +0.0), which rounds as the decimal itself does. Anything
  // beyond range, underflow included, is left to the full reader's wording.
  bool number(double& value) {
    skip_space();
    if (peek('"')) {
      // A plain number's text has no escapes and no control characters, so
      // when it reads whole up to the next quote the string was plain.
      const auto* quote = static_cast<const char*>(
          std::memchr(p_ + 1, '"', static_cast<std::size_t>(end_ - p_ - 1)));
      if (quote != nullptr &&
          read_plain_number(std::string_view(p_ + 1, static_cast<std::size_t>(quote - p_ - 1)),
                            value)) {
        p_ = quote + 1;
        return true;
      }
      std::string_view text;
      if (!plain_string(text)) {
        return false;
      }
      const NumberReading reading = read_number_text(std::string(text));
      if (const auto* read = std::get_if<double>(&reading)) {
        value = *read;
        return true;
      }
      return false;
    }
    // std::from_chars reads a wider grammar than JSON's: it also takes
    // leading zeros ("01") and a point without digits after it ("1.",
    // "1.e5"), which are refused here; anything it stops short of (as in
    // "1e+") is refused by the caller, which finds no comma or bracket there.
    const char* start = p_;
    const char* digits = start != end_ && *start == '-' ? start + 1 : start;
    if (digits == end_ || !is_digit(*digits) ||
        (*digits == '0' && digits + 1 != end_ && is_digit(digits[1]))) {
      return false;
    }
    const auto read = std::from_chars(start, end_, value);
    if (read.ec != std::errc()) {
      return false;
    }
    // The point, if any, comes after the first few digits: a loop finds it
    // sooner than a call would.
    const char* point = digits;
    while (point != read.ptr && is_digit(*point)) {
      ++point;
    }
    if (point != read.ptr && *point == '.' && (point + 1 == read.ptr || !is_digit(point[1]))) {
      return false;
    }
    if (read.ptr - start == 2 && *start == '-' && start[1] == '0') {
      value = 0.0;  // "-0", a whole number
    }
    p_ = read.ptr;
    return true;
  }

  template <std::size_t N>
  bool numbers(std::array<double, N>& out) {
    if (!take('[')) {
      return false;
    }
    for (std::size_t i = 0; i < N; ++i) {
      if ((i != 0 && !take(',')) || !number(out[i])) {
        return false;
      }
    }
    return take(']');
  }

 private:
  static bool is_digit(char c) { return c >= '0' && c <= '9'; }

  const char* p_;
  const char* end_;
};

}  // namespace

std::optional<NamedProblem> read_plain_problem_line(std::string_view line) {
  PlainReader reader(line);
  NamedProblem parsed;
  bool has_coupling = false;
  bool has_target = false;
  if (!reader.take('{')) {
    return std::nullopt;
  }
  do {
    std::string_view key;
    if (!reader.plain_string(key) || !reader.take(':')) {
      return std::nullopt;
    }
    // A key given twice is left to the full reader, which keeps the last.
    if (key == "coupling" && !has_coupling) {
      has_coupling = reader.numbers(parsed.problem.coupling);
      if (!has_coupling) {
        return std::nullopt;
      }
    } else if (key == "target" && !has_target) {
      has_target = reader.numbers(parsed.problem.target);
      if (!has_target) {
        return std::nullopt;
      }
    } else if (key == "name" && !parsed.name) {
      std::string_view name;
      if (!reader.plain_string(name)) {
        return std::nullopt;
      }
      parsed.name = std::string(name);
    } else {
      return std::nullopt;
    }
  } while (reader.take(','));
  if (!reader.take('}') || !has_coupling || !has_target) {
    return std::nullopt;
  }
  reader.skip_space();
  if (!reader.at_end()) {
    return std::nullopt;
  }
  return parsed;
}

}  // namespace sfqp::io
