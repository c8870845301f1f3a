// The quantiles of a run's step times in a fixed memory, however many steps
// the run has: the times are counted in bins 128 to a doubling (each 0.54%
// wide) from 2^-30 s (about 1 ns) to 2^10 s, and a quantile is the smallest
// time seen in the bin that holds the nearest-rank sample. So it is a time
// that was measured, at most 0.54% below that sample.
#pragma once

#include <cstdint>
#include <vector>

namespace sfqp::simulate {

struct TimeStatistics {
  double median = 0.0;  // s
  double p99 = 0.0;     // s, nearest rank
};

class TimeHistogram {
 public:
  TimeHistogram();
  void add(double seconds);
  // Zeros when nothing was added.
  TimeStatistics statistics() const;

 private:
  struct Bin {
    std::uint64_t count = 0;
    double smallest = 0.0;
  };
  double at_percent(std::uint64_t percent) const;

  std::vector<Bin> bins_;
  std::uint64_t total_ = 0;
};

}  // namespace sfqp::simulate
