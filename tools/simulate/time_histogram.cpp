#include "tools/simulate/time_histogram.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace sfqp::simulate {

namespace {

constexpr int kBinsPerDoubling = 128;
constexpr int kLowestExponent = -30;
constexpr int kDoublings = 40;
constexpr std::size_t kBinCount = std::size_t{kBinsPerDoubling} * kDoublings;

// Times below the lowest bound (a clock that did not advance reads 0) go into
// the first bin and times above the highest into the last.
std::size_t bin_of(double seconds) {
  const double lowest = std::ldexp(1.0, kLowestExponent);
  if (!(seconds > lowest)) {
    return 0;
  }
  const double position = (std::log2(seconds) - kLowestExponent) * kBinsPerDoubling;
  return position >= static_cast<double>(kBinCount) ? kBinCount - 1
                                                    : static_cast<std::size_t>(position);
}

}  // namespace

TimeHistogram::TimeHistogram() : bins_(kBinCount) {}

void TimeHistogram::add(double seconds) {
  Bin& bin = bins_[bin_of(seconds)];
  bin.smallest = bin.count == 0 ? seconds : std::min(bin.smallest, seconds);
  ++bin.count;
  ++total_;
}

double TimeHistogram::at_percent(std::uint64_t percent) const {
  // Nearest rank: the smallest sample with at least percent% of all at or below it.
  const std::uint64_t rank = std::max<std::uint64_t>((percent * total_ + 99) / 100, 1);
  std::uint64_t seen = 0;
  for (const Bin& bin : bins_) {
    seen += bin.count;
    if (seen >= rank) {
      return bin.smallest;
    }
  }
  return 0.0;
}

TimeStatistics TimeHistogram::statistics() const {
  if (total_ == 0) {
    return {};
  }
  return {at_percent(50), at_percent(99)};
}

}  // namespace sfqp::simulate
