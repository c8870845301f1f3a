// What every step of the block must hand back whatever arrived on its ports:
// the checks shared by the fuzz targets, the soak run and the bad-input tests.
#pragma once

#include <optional>
#include <span>
#include <string>

namespace sfqp::test {

// How far outside [0, 1] a command may lie: the interior-point iterate stops
// once its gap and residuals are small, not on the bounds themselves.
inline constexpr double kBoxSlack = 1e-6;

// Output 1 after a step is either 16 zeros (the solve ran out of iterations)
// or 16 finite commands within the box give or take kBoxSlack. Returns what
// is wrong with it, or nothing when it is one of the two.
std::optional<std::string> output1_fault(std::span<const double> output);

bool all_zeros(std::span<const double> values);

// Bit-for-bit equality of two signals (NaNs compared by their bits too).
bool identical_bits(std::span<const double> a, std::span<const double> b);

}  // namespace sfqp::test
