// Bit-exact comparison of doubles: a failure names the position and both values
// with their bit patterns. Two NaNs are equal whatever their signs and payloads.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>

namespace sfqp::test {

std::uint64_t bits_of(double value);
std::string describe(double value);  // "%a (0x...)"

::testing::AssertionResult same_bits(double expected, double actual);
::testing::AssertionResult same_bits(std::span<const double> expected,
                                     std::span<const double> actual);

}  // namespace sfqp::test
