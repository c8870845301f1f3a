// Floating-point operations (additions, subtractions, multiplications and
// divisions) of one call of each KKT kernel, fixed by the pattern: counted once
// by running the plain reference arithmetic on a counting double, and checked
// against that count by the test flop_count_test.cpp. Instruction counts are
// set beside these in bench/instructions.
#pragma once

#include <cstdint>

namespace sfqp::bench {

inline constexpr std::uint64_t kFillKktFlops = 20;  // the 20 doubled weights
// 88 reciprocals, 514 products, 268 differences, 52 sums (the +delta pivots).
inline constexpr std::uint64_t kKktFactorFlops = 922;
// 138 products and differences forward, 88 scalings, 138 products backward.
inline constexpr std::uint64_t kKktSolveFlops = 640;
inline constexpr std::uint64_t kKktMultiplyFlops = 608;  // 348 products, 260 sums
// One pass: a product, a solve and the two 88-entry sweeps (the residual, the
// correction); the residual's squared norm is formed only when printed.
inline constexpr std::uint64_t kKktRefineFlops = kKktMultiplyFlops + kKktSolveFlops + 2 * 88;

}  // namespace sfqp::bench
