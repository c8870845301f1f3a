#include "tools/problems/random.h"

#include <cmath>

namespace sfqp::problems {

namespace {

std::uint64_t rotate_left(std::uint64_t value, int shift) {
  return (value << shift) | (value >> (64 - shift));
}

// Natural logarithm of a positive finite x from basic operations only, so that it
// rounds the same everywhere (a platform's log may differ in the last bit).
// x = m * 2^k with m in [sqrt(1/2), sqrt(2)); log m = 2 atanh(t), t = (m-1)/(m+1),
// |t| < 0.172, summed as a fixed odd series in Horner form.
double portable_log(double x) {
  constexpr double kLn2 = 0.69314718055994530942;
  constexpr double kSqrtHalf = 0.70710678118654752440;
  constexpr int kSeriesTerms = 13;  // t^27/27 < 1e-21: below the last bit
  int exponent = 0;
  double m = std::frexp(x, &exponent);  // exact
  if (m < kSqrtHalf) {
    m = m * 2.0;
    exponent = exponent - 1;
  }
  const double t = (m - 1.0) / (m + 1.0);
  const double t2 = t * t;
  double series = 0.0;
  for (int k = kSeriesTerms - 1; k >= 0; --k) {
    series = series * t2 + 1.0 / static_cast<double>(2 * k + 1);
  }
  return 2.0 * t * series + static_cast<double>(exponent) * kLn2;
}

}  // namespace

std::uint64_t splitmix64(std::uint64_t& state) {
  state += 0x9e3779b97f4a7c15ULL;
  std::uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

Random::Random(std::uint64_t seed) {
  for (auto& word : state_) {
    word = splitmix64(seed);
  }
}

std::uint64_t Random::next() {
  const std::uint64_t result = rotate_left(state_[1] * 5, 7) * 9;
  const std::uint64_t shifted = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= shifted;
  state_[3] = rotate_left(state_[3], 45);
  return result;
}

double Random::uniform() {
  return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

double Random::uniform(double low, double high) {
  return low + (high - low) * uniform();
}

std::uint64_t Random::below(std::uint64_t count) {
  // Values at or above the largest multiple of count would favour small results.
  const std::uint64_t limit = UINT64_MAX - UINT64_MAX % count;
  std::uint64_t value = next();
  while (value >= limit) {
    value = next();
  }
  return value % count;
}

double Random::normal() {
  if (has_spare_normal_) {
    has_spare_normal_ = false;
    return spare_normal_;
  }
  double a = 0.0;
  double b = 0.0;
  double radius_sq = 0.0;
  do {
    a = uniform(-1.0, 1.0);
    b = uniform(-1.0, 1.0);
    radius_sq = a * a + b * b;
  } while (radius_sq >= 1.0 || !(radius_sq > 0.0));
  const double factor = std::sqrt(-2.0 * portable_log(radius_sq) / radius_sq);
  spare_normal_ = b * factor;
  has_spare_normal_ = true;
  return a * factor;
}

}  // namespace sfqp::problems
