// The floating-point contract the core is built with (sfqp_float:
// -ffp-contract=off), checked where it matters: every product is rounded before
// it is added, in scalars and in the lanes of the kernels. A fused multiply-add,
// which GCC forms by default on aarch64 and for x86-64-v3, would keep the
// product's low bits and give another result. The disassembly check
// (core_has_no_fused_multiply_add) covers the core's own objects.
#include <gtest/gtest.h>

#include "kkt/lanes.h"
#include "tests/support/bits.h"

namespace sfqp::test {
namespace {

// (1 + 2^-30)(1 - 2^-30) = 1 - 2^-60, which rounds to 1.0: plus -1.0 that is 0.0
// when the product is rounded first, and -2^-60 when it is fused.
volatile double factor_a = 1.0 + 0x1p-30;
volatile double factor_b = 1.0 - 0x1p-30;
volatile double addend = -1.0;

TEST(FloatContract, ScalarProductsAreRoundedBeforeTheSum) {
  const double a = factor_a;
  const double b = factor_b;
  const double c = addend;
  EXPECT_TRUE(same_bits(0.0, a * b + c));
  EXPECT_TRUE(same_bits(0.0, c + a * b));
  EXPECT_TRUE(same_bits(0.0, (-c) - a * b));
}

TEST(FloatContract, LaneProductsAreRoundedBeforeTheSum) {
  const kkt::Lanes a = kkt::splat(factor_a);
  const kkt::Lanes b = kkt::splat(factor_b);
  const kkt::Lanes c = kkt::splat(addend);
  const kkt::Lanes sum = a * b + c;
  const kkt::Lanes difference = (-c) - a * b;
  for (int lane = 0; lane < 4; ++lane) {
    EXPECT_TRUE(same_bits(0.0, sum[lane])) << "lane " << lane;
    EXPECT_TRUE(same_bits(0.0, difference[lane])) << "lane " << lane;
  }
}

}  // namespace
}  // namespace sfqp::test
