// Four entries of the problem's operators at a time: the one definition of
// each entry's arithmetic, for the operators themselves (solver/operators.cpp)
// and for the iteration's sweeps that fuse an operator with other work
// (solver/interior_point.cpp). i is a multiple of 4 in every function.
#pragma once

#include "kkt/lanes.h"
#include "solver/records.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

// Entries u_i..u_(i+3) (stacked x indices 4 + i..) of -A'*y:
// ((-(c(0,j)*y0) - c(1,j)*y1) - c(2,j)*y2) - c(3,j)*y3 in lane j - i, four
// coupling columns transposed into rows of lanes. (The e entries copy y.)
[[gnu::always_inline]] inline kkt::Lanes neg_At_u(kkt::Lanes y, int i) {
  kkt::Lanes rows[4];
  for (int c = 0; c < 4; ++c) {
    rows[c] = kkt::load(&problem_data.coupling[4 * (i + c)]);
  }
  kkt::transpose(rows);
  kkt::Lanes acc = -(rows[0] * kkt::splat(y[0]));
  for (int r = 1; r < kEqualityCount; ++r) {
    acc = acc - rows[r] * kkt::splat(y[r]);
  }
  return acc;
}

// Entries u_i..u_(i+3) of -G'*z: z_i - z_(16+i). (The e entries are 0.0.)
[[gnu::always_inline]] inline kkt::Lanes neg_Gt_u(const double* z, int i) {
  return kkt::load(&z[i]) - kkt::load(&z[kEffortCount + i]);
}

// Entries i..i+3 of P*x, x in stacked order: the e block at i = 0, u from 4.
[[gnu::always_inline]] inline kkt::Lanes P_at(const double* x, int i) {
  const double* const weight =
      i < kStackU ? &problem_data.error_weight[i] : &problem_data.effort_weight[i - kStackU];
  return (kkt::load(weight) * 2.0) * kkt::load(&x[i]);
}

// Rows i..i+3 of -G*x: u in rows 0..15, -u in rows 16..31.
[[gnu::always_inline]] inline kkt::Lanes neg_G_at(const double* x, int i) {
  const kkt::Lanes u = kkt::load(&x[kStackU + i % kEffortCount]);
  return i < kEffortCount ? u : -u;
}

// The four rows of -A*in, lane i = row i: in[i] minus c(i, j)*in[4+j] for
// j = 0..15 (A is [-I C] over x = (e, u)).
[[gnu::always_inline]] inline kkt::Lanes neg_A_at(const double* in20) {
  kkt::Lanes acc = kkt::load(in20);
  for (int j = 0; j < kEffortCount; ++j) {
    acc = acc - kkt::load(&problem_data.coupling[4 * j]) * kkt::splat(in20[kStackU + j]);
  }
  return acc;
}

// r4 := -A*x + b, the equality residual; returns its squared norm.
[[gnu::always_inline]] inline double eq_residual_into(double* r4, const double* x) {
  const kkt::Lanes residual = neg_A_at(x) + kkt::load(workspace.b);
  kkt::store(r4, residual);
  return kkt::add_in_order(0.0, residual * residual);
}

// Rows i..i+3 of the inequality residual h - s + (-G*x), with the s given.
[[gnu::always_inline]] inline kkt::Lanes ineq_residual_at(kkt::Lanes s, const double* x, int i) {
  return (kkt::load(&workspace.h[i]) - s) + neg_G_at(x, i);
}

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
