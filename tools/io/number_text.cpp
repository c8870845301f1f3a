#include "tools/io/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace sfqp::io {

namespace {

// The exponent as the JSON library writes it: a sign and at least two digits.
char* write_exponent(char* out, int exponent) {
  *out++ = exponent < 0 ? '-' : '+';
  const unsigned magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
  if (magnitude >= 100) {
    *out++ = static_cast<char>('0' + magnitude / 100);
  }
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
  return out;
}

}  // namespace

char* write_decimal(char* out, double value) {
  if (std::signbit(value)) {
    *out++ = '-';
    value = -value;
  }
  if (std::fpclassify(value) == FP_ZERO) {
    std::memcpy(out, "0.0", 3);
    return out + 3;
  }
  // The shortest digits d.ddd and the exponent x of d.ddd * 10^x, as to_chars
  // writes them: d[.ddd]e[+-]xx[x]. Moving the first digit onto the point
  // makes the digits one run. The copies below are of fixed lengths, longer
  // than the text they copy (out has kNumberTextBytes of room, and scientific
  // is zeroed past the text), which is cheaper than copying just the text.
  char scientific[40] = {};
  const char* end = std::to_chars(scientific, scientific + sizeof scientific, value,
                                  std::chars_format::scientific)
                        .ptr;
  char* digits = scientific;
  if (scientific[1] == '.') {
    scientific[1] = scientific[0];
    digits = scientific + 1;
  }
  // The exponent has two digits, or three from 1e100 on.
  const char* e = end[-4] == 'e' ? end - 4 : end - 5;
  const int count = static_cast<int>(e - digits);
  int exponent = (e[2] - '0') * 10 + (e[3] - '0');
  if (e + 5 == end) {
    exponent = exponent * 10 + (e[4] - '0');
  }
  if (e[1] == '-') {
    exponent = -exponent;
  }
  constexpr std::size_t kDigitsCopied = 17;  // the most a shortest double has
  // The value is digits * 10^(point - count): the decimal point stands after
  // `point` digits. Whole numbers below 10^15 end in ".0", small ones down to
  // 0.0001 are written without an exponent, the others d.ddde+XX.
  const int point = exponent + 1;
  constexpr int kLongestPlain = 15;
  constexpr int kSmallestPlain = -3;
  if (count <= point && point <= kLongestPlain) {
    std::memcpy(out, digits, kDigitsCopied);
    out += count;
    std::memset(out, '0', kLongestPlain);
    out += point - count;
    std::memcpy(out, ".0", 2);
    return out + 2;
  }
  if (0 < point && point <= kLongestPlain) {
    std::memcpy(out, digits, kDigitsCopied);
    out += point;
    *out++ = '.';
    std::memcpy(out, digits + point, kDigitsCopied);
    return out + (count - point);
  }
  if (kSmallestPlain <= point && point <= 0) {
    std::memcpy(out, "0.000", 5);
    out += 2 - point;
    std::memcpy(out, digits, kDigitsCopied);
    return out + count;
  }
  *out++ = digits[0];
  if (count > 1) {
    *out++ = '.';
    std::memcpy(out, digits + 1, kDigitsCopied);
    out += count - 1;
  }
  *out++ = 'e';
  return write_exponent(out, exponent);
}

char* write_hex_float(char* out, double value) {
  if (std::isnan(value)) {
    std::memcpy(out, "nan", 3);
    return out + 3;
  }
  // For zero and normal values std::to_chars writes %a's text without its
  // "0x" (the leading digit 1, trailing zeros dropped), several times faster
  // than printf; a subnormal's leading digit is 0 in %a, so printf writes it.
  if (std::isnormal(value) || std::fpclassify(value) == FP_ZERO) {
    if (std::signbit(value)) {
      *out++ = '-';
      value = -value;
    }
    std::memcpy(out, "0x", 2);
    out += 2;
    return std::to_chars(out, out + kNumberTextBytes - 5, value, std::chars_format::hex).ptr;
  }
  const int written = std::snprintf(out, kNumberTextBytes - 2, "%a", value);
  return out + written;
}

char* write_json_number(char* out, double value, bool exact) {
  if (exact || !std::isfinite(value)) {
    *out++ = '"';
    out = write_hex_float(out, value);
    *out++ = '"';
    return out;
  }
  return write_decimal(out, value);
}

void append_json_number(std::string& out, double value, bool exact) {
  char text[kNumberTextBytes];
  out.append(text, write_json_number(text, value, exact));
}

void append_json_numbers(std::string& out, std::span<const double> values, bool exact,
                         std::span<NumberText> written, std::span<const double> earlier,
                         std::span<const NumberText> earlier_text) {
  char buffer[2048];
  char* end = buffer;
  *end++ = '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    // Room for a comma and any number's text (write_decimal may write past
    // its text, never past kNumberTextBytes).
    if (buffer + sizeof buffer - end < static_cast<std::ptrdiff_t>(kNumberTextBytes + 1)) {
      out.append(buffer, end);
      end = buffer;
    }
    if (i != 0) {
      *end++ = ',';
    }
    const std::size_t start = out.size() + static_cast<std::size_t>(end - buffer);
    if (i < earlier.size() &&
        std::bit_cast<std::uint64_t>(values[i]) == std::bit_cast<std::uint64_t>(earlier[i])) {
      const NumberText same = earlier_text[i];  // in out: an earlier call's
      std::memcpy(end, out.data() + same.start, same.size);
      end += same.size;
    } else {
      end = write_json_number(end, values[i], exact);
    }
    if (i < written.size()) {
      written[i] = {start, out.size() + static_cast<std::size_t>(end - buffer) - start};
    }
  }
  *end++ = ']';
  out.append(buffer, end);
}

void append_text_number(std::string& out, double value, bool exact) {
  char text[kNumberTextBytes];
  out.append(text, exact || !std::isfinite(value) ? write_hex_float(text, value)
                                                  : write_decimal(text, value));
}

bool read_plain_number(std::string_view text, double& value) {
  const bool negative = !text.empty() && text.front() == '-';
  std::string_view digits = negative ? text.substr(1) : text;
  if (digits.empty() ||
      !((digits.front() >= '0' && digits.front() <= '9') || digits.front() == '.')) {
    return false;
  }
  auto format = std::chars_format::general;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.remove_prefix(2);
    format = std::chars_format::hex;
    if (digits.front() == '-' || digits.front() == '+') {
      return false;
    }
  }
  const char* end = digits.data() + digits.size();
  const auto read = std::from_chars(digits.data(), end, value, format);
  if (read.ec != std::errc() || read.ptr != end) {
    return false;
  }
  if (format == std::chars_format::hex) {
    // GCC 12's std::from_chars takes "p+-5" as the exponent -5, which strtod
    // and C refuse: the sign before the exponent's digits must follow the p.
    const char* exponent = end;
    while (exponent != digits.data() && exponent[-1] >= '0' && exponent[-1] <= '9') {
      --exponent;
    }
    if (exponent - digits.data() >= 2 && (exponent[-1] == '+' || exponent[-1] == '-') &&
        exponent[-2] != 'p' && exponent[-2] != 'P') {
      return false;
    }
  }
  value = negative ? -value : value;
  return true;
}

}  // namespace sfqp::io
