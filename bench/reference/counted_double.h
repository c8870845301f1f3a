// A double that counts the floating-point operations done with it: additions,
// subtractions, multiplications and divisions, each rounded as a double would
// be. Negations and comparisons are not arithmetic and are not counted.
#pragma once

#include <cstdint>

namespace sfqp::bench {

struct FlopCount {
  std::uint64_t additions = 0;
  std::uint64_t subtractions = 0;
  std::uint64_t multiplications = 0;
  std::uint64_t divisions = 0;

  std::uint64_t total() const { return additions + subtractions + multiplications + divisions; }
};

// The running count of every CountedDouble operation in the program.
inline FlopCount flop_count;

struct CountedDouble {
  double value = 0.0;

  CountedDouble() = default;
  CountedDouble(double v) : value(v) {}  // NOLINT: a drop-in for double

  friend CountedDouble operator+(CountedDouble a, CountedDouble b) {
    ++flop_count.additions;
    return a.value + b.value;
  }
  friend CountedDouble operator-(CountedDouble a, CountedDouble b) {
    ++flop_count.subtractions;
    return a.value - b.value;
  }
  friend CountedDouble operator*(CountedDouble a, CountedDouble b) {
    ++flop_count.multiplications;
    return a.value * b.value;
  }
  friend CountedDouble operator/(CountedDouble a, CountedDouble b) {
    ++flop_count.divisions;
    return a.value / b.value;
  }
  friend CountedDouble operator-(CountedDouble a) { return -a.value; }
  friend bool operator<(CountedDouble a, CountedDouble b) { return a.value < b.value; }
  friend bool operator>(CountedDouble a, CountedDouble b) { return a.value > b.value; }
  friend bool operator<=(CountedDouble a, CountedDouble b) { return a.value <= b.value; }
};

}  // namespace sfqp::bench
