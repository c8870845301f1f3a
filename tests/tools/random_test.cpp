// The generator's random numbers: the published xoshiro256** / splitmix64
// sequence (values computed independently of this code), and uniform, bounded
// and normal draws with the distributions they promise.
#include "tools/problems/random.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace sfqp::problems {
namespace {

TEST(Random, FollowsThePublishedSequences) {
  std::uint64_t state = 0;
  EXPECT_EQ(splitmix64(state), 0xe220a8397b1dcdafULL);
  EXPECT_EQ(splitmix64(state), 0x6e789e6aa1b965f4ULL);

  Random zero(0);
  EXPECT_EQ(zero.next(), 0x99ec5f36cb75f2b4ULL);
  EXPECT_EQ(zero.next(), 0xbf6e1f784956452aULL);
  EXPECT_EQ(zero.next(), 0x1a5f849d4933e6e0ULL);
  Random golden(2026);
  EXPECT_EQ(golden.next(), 0x92e011592e98ae15ULL);
  EXPECT_EQ(golden.next(), 0x489f37946d6d18d8ULL);
}

TEST(Random, UniformAndBelowStayInRangeAndSpreadEvenly) {
  Random random(7);
  std::array<int, 3> counts{};
  for (int k = 0; k < 30000; ++k) {
    const double u = random.uniform();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    const double v = random.uniform(-2.0, 3.0);
    ASSERT_GE(v, -2.0);
    ASSERT_LT(v, 3.0);
    ++counts[random.below(3)];
    ASSERT_EQ(random.below(1), 0u);
  }
  for (int count : counts) {
    EXPECT_NEAR(count, 10000, 400);
  }
}

TEST(Random, NormalHasUnitVarianceAndTheGaussianShape) {
  Random random(11);
  constexpr int kDraws = 200000;
  double sum = 0.0, sum_sq = 0.0;
  int within_one = 0, beyond_three = 0;
  for (int k = 0; k < kDraws; ++k) {
    const double x = random.normal();
    ASSERT_TRUE(std::isfinite(x));
    sum += x;
    sum_sq += x * x;
    within_one += std::fabs(x) < 1.0;
    beyond_three += std::fabs(x) > 3.0;
  }
  EXPECT_NEAR(sum / kDraws, 0.0, 0.01);
  EXPECT_NEAR(sum_sq / kDraws, 1.0, 0.015);
  EXPECT_NEAR(static_cast<double>(within_one) / kDraws, 0.6827, 0.005);
  EXPECT_NEAR(static_cast<double>(beyond_three) / kDraws, 0.0027, 0.0006);
}

}  // namespace
}  // namespace sfqp::problems
