// Four doubles side by side: the lanes in which the KKT kernels run independent
// rows of the pattern together. Each lane is an ordinary double operation,
// rounded on its own, so a row computed in a lane has exactly the bits it has
// when computed alone; only rows whose sums do not depend on each other share
// a vector. No fused multiply-add ever forms (the core builds with
// -ffp-contract=off).
//
// How the lanes are held is chosen per target, here and nowhere else. Where
// the processor has vector registers (x86-64, aarch64) they are the
// compiler's generic vector: SSE2 pairs in the portable build, one AVX
// register in the x86-64-v3 and -v4 builds, two NEON registers on aarch64. The
// 32-bit Arm processors the firmware flies on (the Cortex-M7 has sixteen
// double registers and no vectors) take them as four separate doubles, each
// operation written lane by lane: the compiler lowers a generic vector there
// through stack temporaries, which took half the stack of a step.
#pragma once

#include "kkt/instruction_set_namespace.h"

#include <cstdint>
#include <cstring>

namespace sfqp::kkt {
inline namespace SFQP_INSTRUCTION_SET {

#if defined(__arm__)
// Whether the lanes live in vector registers. Where they do not, the kernels
// also read back from the factor what they would otherwise keep in arrays of
// lanes across stanzas (the same stored bits), so that a step fits in 2 KB.
inline constexpr bool kLanesInVectorRegisters = false;

struct Lanes {
  double lane[4];
  [[gnu::always_inline]] double operator[](int i) const { return lane[i]; }
  [[gnu::always_inline]] double& operator[](int i) { return lane[i]; }
};
struct LaneMask {
  std::int64_t lane[4];
  [[gnu::always_inline]] std::int64_t operator[](int i) const { return lane[i]; }
};

// Lane-wise f(a, b), f(a, scalar) and f(scalar, b).
template <class Op>
[[gnu::always_inline]] inline Lanes lanewise(Lanes a, Lanes b, Op op) {
  return Lanes{op(a.lane[0], b.lane[0]), op(a.lane[1], b.lane[1]), op(a.lane[2], b.lane[2]),
               op(a.lane[3], b.lane[3])};
}
[[gnu::always_inline]] inline Lanes splat(double x) {
  return Lanes{x, x, x, x};
}
// clang-format off
[[gnu::always_inline]] inline Lanes operator+(Lanes a, Lanes b) { return lanewise(a, b, [](double x, double y) { return x + y; }); }
[[gnu::always_inline]] inline Lanes operator-(Lanes a, Lanes b) { return lanewise(a, b, [](double x, double y) { return x - y; }); }
[[gnu::always_inline]] inline Lanes operator*(Lanes a, Lanes b) { return lanewise(a, b, [](double x, double y) { return x * y; }); }
[[gnu::always_inline]] inline Lanes operator/(Lanes a, Lanes b) { return lanewise(a, b, [](double x, double y) { return x / y; }); }
[[gnu::always_inline]] inline Lanes operator+(Lanes a, double b) { return a + splat(b); }
[[gnu::always_inline]] inline Lanes operator-(Lanes a, double b) { return a - splat(b); }
[[gnu::always_inline]] inline Lanes operator*(Lanes a, double b) { return a * splat(b); }
[[gnu::always_inline]] inline Lanes operator-(double a, Lanes b) { return splat(a) - b; }
[[gnu::always_inline]] inline Lanes operator/(double a, Lanes b) { return splat(a) / b; }
[[gnu::always_inline]] inline Lanes operator-(Lanes a) { return Lanes{-a.lane[0], -a.lane[1], -a.lane[2], -a.lane[3]}; }
// clang-format on

[[gnu::always_inline]] inline LaneMask operator|(LaneMask a, LaneMask b) {
  return LaneMask{a.lane[0] | b.lane[0], a.lane[1] | b.lane[1], a.lane[2] | b.lane[2],
                  a.lane[3] | b.lane[3]};
}
// All bits set in the lanes whose number is i.
[[gnu::always_inline]] inline std::int64_t all_bits_if(bool condition) {
  return condition ? -1 : 0;
}
[[gnu::always_inline]] inline LaneMask operator==(LaneMask numbers, int i) {
  return LaneMask{all_bits_if(numbers.lane[0] == i), all_bits_if(numbers.lane[1] == i),
                  all_bits_if(numbers.lane[2] == i), all_bits_if(numbers.lane[3] == i)};
}

// Lane by lane, so that no copy of the lanes goes through memory.
[[gnu::always_inline]] inline Lanes load(const double* p) {
  return Lanes{p[0], p[1], p[2], p[3]};
}
[[gnu::always_inline]] inline void store(double* p, Lanes v) {
  p[0] = v.lane[0];
  p[1] = v.lane[1];
  p[2] = v.lane[2];
  p[3] = v.lane[3];
}

// Lane-wise a < b and a > b.
[[gnu::always_inline]] inline LaneMask less(Lanes a, Lanes b) {
  return LaneMask{all_bits_if(a.lane[0] < b.lane[0]), all_bits_if(a.lane[1] < b.lane[1]),
                  all_bits_if(a.lane[2] < b.lane[2]), all_bits_if(a.lane[3] < b.lane[3])};
}
[[gnu::always_inline]] inline LaneMask greater(Lanes a, Lanes b) {
  return less(b, a);
}
// Whether any lane of a comparison's mask is set.
[[gnu::always_inline]] inline bool any(LaneMask mask) {
  return (mask.lane[0] | mask.lane[1] | mask.lane[2] | mask.lane[3]) != 0;
}
// Lane-wise mask ? a : b, taken with bit operations rather than a branch.
[[gnu::always_inline]] inline double select_lane(std::int64_t mask, double a, double b) {
  const auto m = static_cast<std::uint64_t>(mask);
  return __builtin_bit_cast(double, (m & __builtin_bit_cast(std::uint64_t, a)) |
                                        (~m & __builtin_bit_cast(std::uint64_t, b)));
}
[[gnu::always_inline]] inline Lanes select(LaneMask mask, Lanes a, Lanes b) {
  return Lanes{select_lane(mask.lane[0], a.lane[0], b.lane[0]),
               select_lane(mask.lane[1], a.lane[1], b.lane[1]),
               select_lane(mask.lane[2], a.lane[2], b.lane[2]),
               select_lane(mask.lane[3], a.lane[3], b.lane[3])};
}

// Of two vectors (a0 a1 a2 a3) and (b0 b1 b2 b3): the even entries
// (a0 a2 b0 b2), the odd entries (a1 a3 b1 b3), and the two halves of their
// interleaving (a0 b0 a1 b1) and (a2 b2 a3 b3).
[[gnu::always_inline]] inline Lanes even(Lanes a, Lanes b) {
  return Lanes{a[0], a[2], b[0], b[2]};
}
[[gnu::always_inline]] inline Lanes odd(Lanes a, Lanes b) {
  return Lanes{a[1], a[3], b[1], b[3]};
}
[[gnu::always_inline]] inline Lanes interleave_low(Lanes a, Lanes b) {
  return Lanes{a[0], b[0], a[1], b[1]};
}
[[gnu::always_inline]] inline Lanes interleave_high(Lanes a, Lanes b) {
  return Lanes{a[2], b[2], a[3], b[3]};
}

// Transposes the 4x4 block whose rows are r[0..3] in place.
[[gnu::always_inline]] inline void transpose(Lanes (&r)[4]) {
  const Lanes r0 = r[0], r1 = r[1], r2 = r[2], r3 = r[3];
  r[0] = Lanes{r0[0], r1[0], r2[0], r3[0]};
  r[1] = Lanes{r0[1], r1[1], r2[1], r3[1]};
  r[2] = Lanes{r0[2], r1[2], r2[2], r3[2]};
  r[3] = Lanes{r0[3], r1[3], r2[3], r3[3]};
}

#else
inline constexpr bool kLanesInVectorRegisters = true;

using Lanes = double __attribute__((vector_size(4 * sizeof(double))));
// The result of comparing Lanes, and lane numbers to compare with: all bits set
// where true, and the condition of a lane-wise select (mask ? a : b).
using LaneMask = std::int64_t __attribute__((vector_size(4 * sizeof(std::int64_t))));

[[gnu::always_inline]] inline Lanes load(const double* p) {
  Lanes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
[[gnu::always_inline]] inline void store(double* p, Lanes v) {
  std::memcpy(p, &v, sizeof v);
}
[[gnu::always_inline]] inline Lanes splat(double x) {
  return Lanes{x, x, x, x};
}

// Lane-wise a < b and a > b. Without AVX a four-lane comparison would be done
// lane by lane with branches, so the portable build compares two pairs.
[[gnu::always_inline]] inline LaneMask less(Lanes a, Lanes b) {
#ifdef __AVX__
  return a < b;
#else
  using Pair = double __attribute__((vector_size(2 * sizeof(double))));
  const Pair a_low = __builtin_shufflevector(a, a, 0, 1);
  const Pair a_high = __builtin_shufflevector(a, a, 2, 3);
  const Pair b_low = __builtin_shufflevector(b, b, 0, 1);
  const Pair b_high = __builtin_shufflevector(b, b, 2, 3);
  return __builtin_shufflevector(a_low < b_low, a_high < b_high, 0, 1, 2, 3);
#endif
}
[[gnu::always_inline]] inline LaneMask greater(Lanes a, Lanes b) {
  return less(b, a);
}

// Whether any lane of a comparison's mask (each lane all bits set or none) is
// set. With AVX the lanes' sign bits are taken in one instruction (the builtin
// of vmovmskpd, which moves bits and computes nothing), so that the step rule's
// branch follows its comparisons two instructions later rather than six: 1%
// of a solve.
[[gnu::always_inline]] inline bool any(LaneMask mask) {
#ifdef __AVX__
  return __builtin_ia32_movmskpd256(__builtin_bit_cast(Lanes, mask)) != 0;
#else
  using PairMask = std::int64_t __attribute__((vector_size(2 * sizeof(std::int64_t))));
  const PairMask both =
      __builtin_shufflevector(mask, mask, 0, 1) | __builtin_shufflevector(mask, mask, 2, 3);
  return (both[0] | both[1]) != 0;
#endif
}

// Lane-wise mask ? a : b, written with bit operations so that no build turns
// it into a branch per lane. The builtin rather than std::bit_cast: a template
// instantiated on these vectors would be one function, under one name, for
// every build of the arithmetic, and the linker would keep one build's copy
// for all (each build passes the vectors in different registers).
[[gnu::always_inline]] inline Lanes select(LaneMask mask, Lanes a, Lanes b) {
  return __builtin_bit_cast(
      Lanes, (mask & __builtin_bit_cast(LaneMask, a)) | (~mask & __builtin_bit_cast(LaneMask, b)));
}

// Of two vectors (a0 a1 a2 a3) and (b0 b1 b2 b3): the even entries
// (a0 a2 b0 b2), the odd entries (a1 a3 b1 b3), and the two halves of their
// interleaving (a0 b0 a1 b1) and (a2 b2 a3 b3).
[[gnu::always_inline]] inline Lanes even(Lanes a, Lanes b) {
  return __builtin_shufflevector(a, b, 0, 2, 4, 6);
}
[[gnu::always_inline]] inline Lanes odd(Lanes a, Lanes b) {
  return __builtin_shufflevector(a, b, 1, 3, 5, 7);
}
[[gnu::always_inline]] inline Lanes interleave_low(Lanes a, Lanes b) {
  return __builtin_shufflevector(a, b, 0, 4, 1, 5);
}
[[gnu::always_inline]] inline Lanes interleave_high(Lanes a, Lanes b) {
  return __builtin_shufflevector(a, b, 2, 6, 3, 7);
}

// Transposes the 4x4 block whose rows are r[0..3] in place.
[[gnu::always_inline]] inline void transpose(Lanes (&r)[4]) {
  const Lanes t0 = __builtin_shufflevector(r[0], r[1], 0, 4, 2, 6);
  const Lanes t1 = __builtin_shufflevector(r[0], r[1], 1, 5, 3, 7);
  const Lanes t2 = __builtin_shufflevector(r[2], r[3], 0, 4, 2, 6);
  const Lanes t3 = __builtin_shufflevector(r[2], r[3], 1, 5, 3, 7);
  r[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
  r[1] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
  r[2] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
  r[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

#endif

// sum + terms[0] + terms[1] + terms[2] + terms[3], added one at a time in
// lane order: a sum in index order continued over four more entries.
[[gnu::always_inline]] inline double add_in_order(double sum, Lanes terms) {
  return (((sum + terms[0]) + terms[1]) + terms[2]) + terms[3];
}

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp::kkt
