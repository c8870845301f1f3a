#include "tools/io/plain_problem_line.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <string>
#include <system_error>

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
    const char* start = p_;
    const bool negative = p_ != end_ && *p_ == '-';
    if (negative) {
      ++p_;
    }
    if (p_ == end_ || !is_digit(*p_)) {
      return false;
    }
    if (*p_ == '0') {
      ++p_;
    } else {
      skip_digits();
    }
    bool whole = true;
    if (p_ != end_ && *p_ == '.') {
      whole = false;
      ++p_;
      if (p_ == end_ || !is_digit(*p_)) {
        return false;
      }
      skip_digits();
    }
    if (p_ != end_ && (*p_ == 'e' || *p_ == 'E')) {
      whole = false;
      ++p_;
      if (p_ != end_ && (*p_ == '+' || *p_ == '-')) {
        ++p_;
      }
      if (p_ == end_ || !is_digit(*p_)) {
        return false;
      }
      skip_digits();
    }
    if (whole && negative && p_ - start == 2 && start[1] == '0') {
      value = 0.0;
      return true;
    }
    const auto read = std::from_chars(start, p_, value);
    return read.ec == std::errc() && read.ptr == p_;
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

  void skip_digits() {
    while (p_ != end_ && is_digit(*p_)) {
      ++p_;
    }
  }

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
