#include "tools/simulate/plain_csv_step.h"

#include <cstddef>

#include "tools/io/number_text.h"

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
    if (!io::read_plain_number(field, slot)) {
      return false;
    }
    at = comma + 1;
  }
  return true;
}

}  // namespace sfqp::simulate
