#include "tools/simulate/plain_csv_step.h"

#include <charconv>
#include <cstddef>
#include <system_error>

namespace sfqp::simulate {

namespace {

constexpr std::size_t kColumnCount = kCouplingCount + kEqualityCount;

bool is_blank_space(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view field) {
  while (!field.empty() && is_blank_space(field.front())) {
    field.remove_prefix(1);
  }
  while (!field.empty() && is_blank_space(field.back())) {
    field.remove_suffix(1);
  }
  return field;
}

// A number that starts with a digit or a point after an optional minus, read
// whole by std::from_chars; "0x" (or "0X") starts a hexadecimal float. Words
// such as inf and nan, a leading plus and anything out of range (underflow
// included) are left to the general reader.
bool read_plain_number(std::string_view field, double& value) {
  const bool negative = !field.empty() && field.front() == '-';
  std::string_view digits = negative ? field.substr(1) : field;
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
  value = negative ? -value : value;
  return true;
}

}  // namespace

bool read_plain_csv_step(std::string_view line, StepInput& step) {
  std::size_t at = 0;
  for (std::size_t c = 0; c < kColumnCount; ++c) {
    const bool last = c + 1 == kColumnCount;
    const std::size_t comma = line.find(',', at);
    if (last != (comma == std::string_view::npos)) {
      return false;
    }
    const std::string_view field = trimmed(line.substr(at, last ? line.npos : comma - at));
    double& slot = c < kCouplingCount ? step.coupling[c] : step.target[c - kCouplingCount];
    if (!read_plain_number(field, slot)) {
      return false;
    }
    at = comma + 1;
  }
  return true;
}

}  // namespace sfqp::simulate
