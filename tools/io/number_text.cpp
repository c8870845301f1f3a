#include "tools/io/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

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
  // The shortest digits d.ddd and the exponent x of d.ddd * 10^x.
  char scientific[32];
  const auto written = std::to_chars(scientific, scientific + sizeof scientific, value,
                                     std::chars_format::scientific);
  // to_chars writes d[.ddd]e[+-]x...: the digits, then the exponent.
  char digits[20];
  const char* e = scientific + 1;
  int count = 1;
  digits[0] = scientific[0];
  if (*e == '.') {
    for (++e; *e != 'e'; ++e) {
      digits[count++] = *e;
    }
  }
  const bool negative_exponent = e[1] == '-';
  int exponent = 0;
  for (const char* x = e + 2; x != written.ptr; ++x) {
    exponent = exponent * 10 + (*x - '0');
  }
  if (negative_exponent) {
    exponent = -exponent;
  }
  // The value is digits * 10^(point - count): the decimal point stands after
  // `point` digits. Whole numbers below 10^15 end in ".0", small ones down to
  // 0.0001 are written without an exponent, the others d.ddde+XX.
  const int point = exponent + 1;
  constexpr int kLongestPlain = 15;
  constexpr int kSmallestPlain = -3;
  if (count <= point && point <= kLongestPlain) {
    std::memcpy(out, digits, static_cast<std::size_t>(count));
    out += count;
    std::memset(out, '0', static_cast<std::size_t>(point - count));
    out += point - count;
    std::memcpy(out, ".0", 2);
    return out + 2;
  }
  if (0 < point && point <= kLongestPlain) {
    std::memcpy(out, digits, static_cast<std::size_t>(point));
    out += point;
    *out++ = '.';
    std::memcpy(out, digits + point, static_cast<std::size_t>(count - point));
    return out + (count - point);
  }
  if (kSmallestPlain <= point && point <= 0) {
    std::memcpy(out, "0.", 2);
    out += 2;
    std::memset(out, '0', static_cast<std::size_t>(-point));
    out += -point;
    std::memcpy(out, digits, static_cast<std::size_t>(count));
    return out + count;
  }
  *out++ = digits[0];
  if (count > 1) {
    *out++ = '.';
    std::memcpy(out, digits + 1, static_cast<std::size_t>(count - 1));
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

}  // namespace sfqp::io
