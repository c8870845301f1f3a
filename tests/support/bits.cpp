#include "tests/support/bits.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace sfqp::test {

std::uint64_t bits_of(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::string describe(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%a (0x%016llx)", value,
                static_cast<unsigned long long>(bits_of(value)));
  return text;
}

namespace {

bool equal_bits(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || bits_of(a) == bits_of(b);
}

}  // namespace

::testing::AssertionResult same_bits(double expected, double actual) {
  if (equal_bits(expected, actual)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "expected " << describe(expected) << ", got " << describe(actual);
}

::testing::AssertionResult same_bits(std::span<const double> expected,
                                     std::span<const double> actual) {
  if (expected.size() != actual.size()) {
    return ::testing::AssertionFailure()
           << "expected " << expected.size() << " values, got " << actual.size();
  }
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (!equal_bits(expected[i], actual[i])) {
      return ::testing::AssertionFailure()
             << "at position " << i << ": expected " << describe(expected[i]) << ", got "
             << describe(actual[i]);
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace sfqp::test
