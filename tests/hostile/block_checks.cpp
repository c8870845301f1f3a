#include "tests/hostile/block_checks.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace sfqp::test {

namespace {

constexpr std::size_t kOutput1Count = 16;

}  // namespace

bool all_zeros(std::span<const double> values) {
  for (const double value : values) {
    // Negative zero is a zero the block might copy from u; both count.
    if (std::fpclassify(value) != FP_ZERO) {
      return false;
    }
  }
  return true;
}

std::optional<std::string> output1_fault(std::span<const double> output) {
  char text[128];
  if (output.size() != kOutput1Count) {
    std::snprintf(text, sizeof text, "output 1 has %zu elements, not %zu", output.size(),
                  kOutput1Count);
    return text;
  }
  if (all_zeros(output)) {
    return std::nullopt;
  }
  for (std::size_t k = 0; k < output.size(); ++k) {
    const double value = output[k];
    if (!std::isfinite(value) || value < -kBoxSlack || value > 1.0 + kBoxSlack) {
      std::snprintf(text, sizeof text,
                    "output 1 element %zu is %a (%.17g), outside [-1e-6, 1+1e-6]", k, value, value);
      return text;
    }
  }
  return std::nullopt;
}

bool identical_bits(std::span<const double> a, std::span<const double> b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size_bytes()) == 0);
}

}  // namespace sfqp::test
