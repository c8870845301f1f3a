// The project's own pseudo-random numbers: xoshiro256** seeded through
// splitmix64, and uniform and normal doubles built from them with nothing but
// IEEE-754 basic operations and a correctly rounded square root. The sequence is
// therefore the same with every compiler, library and platform, so a seed names
// the same problems everywhere.
#pragma once

#include <cstdint>

namespace sfqp::problems {

// One step of splitmix64: advances state and returns a well-mixed 64-bit value.
std::uint64_t splitmix64(std::uint64_t& state);

class Random {
 public:
  explicit Random(std::uint64_t seed);

  std::uint64_t next();
  // [0, 1) with 53 random bits.
  double uniform();
  // [low, high).
  double uniform(double low, double high);
  // [0, count); count > 0. Unbiased (rejects the short last interval).
  std::uint64_t below(std::uint64_t count);
  // Standard normal (Marsaglia's polar method).
  double normal();

 private:
  std::uint64_t state_[4];
  double spare_normal_ = 0.0;
  bool has_spare_normal_ = false;
};

}  // namespace sfqp::problems
