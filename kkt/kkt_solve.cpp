// kkt_solve: gather into elimination order, forward substitution with L (each
// row subtracts its products one at a time in ascending column order), scaling
// by the stored reciprocal pivots, backward substitution with L' (each column's
// products summed over ascending rows from the first product, then subtracted
// once), scatter back to stacked order. No divisions, no branches on data.
// The scaling of each entry is done where the forward pass last needs it
// unscaled, and each final entry goes to its stacked place in result
// directly. The vector in elimination order lives in locals, and kkt_work is
// left to the self-check. Every build runs this one body: the portable one,
// which keeps a Lanes value as a pair of SSE2 registers, spills some of the
// locals to the stack, and still runs fewer instructions per solve than with
// the vector in kkt_work and the refinement's update as a sweep of its own.
//
// Rows of one block never depend on each other, so each block runs four rows
// side by side in lanes, every lane keeping its row's order: s and z rows in
// lanes k..k+3, u rows in lanes j..j+3, and the four y rows in one vector
// whose lane i is row y_i (the y-y terms, which chain the y rows, come last in
// each row and are taken one lane at a time).
//
// kkt_solve reads the entries of L below the s, z and e pivots from factor_L;
// kkt_solve_filled, for factors of the matrix fill_kkt writes, forms their
// products from the reciprocal pivots instead (kkt/kkt_values.h), with the
// same bits and fewer operations.
#include "kkt/kkt_solve.h"

#include "kkt/filled_kkt.h"
#include "kkt/kkt_internal.h"
#include "kkt/kkt_pattern.h"
#include "kkt/kkt_refine.h"
#include "kkt/kkt_values.h"
#include "kkt/lanes.h"
#include "solver/console_sink.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

using namespace kkt;

namespace {

// Where a final entry of the solution goes: to result[i] and, for a
// refinement pass, also off var[i]. Four entries at a time.
template <bool kUpdate>
[[gnu::always_inline]] inline void put(double* result, double* var, int i, Lanes x) {
  store(&result[i], x);
  if constexpr (kUpdate) {
    store(&var[i], load(&var[i]) - x);
  }
}

// The whole solve, with the vector in elimination order held in locals (the
// blocks s, z, e, u as lanes, the y entries as scalars) rather than in
// kkt_work, so that nothing is stored only to be loaded again. The vectors
// are distinct from each other and from the factors (the callers' contract);
// restrict tells the compiler so, and it schedules the loads of later rows
// ahead of the stores of earlier ones.
template <bool kUpdate, class Values>
[[gnu::always_inline]] inline void solve(const double* __restrict target, double* __restrict result,
                                         double* __restrict var) {
  const double* const L = workspace.factor_L;
  const double* const Dinv = workspace.factor_D_inverse;
  constexpr int kBlocks = kInequalityCount / 4;  // 8 blocks of s, 8 of z
  constexpr int kUBlocks = kEffortCount / 4;     // 4 blocks of u
  Lanes vs[kBlocks];
  Lanes wz[kBlocks];
  Lanes wu[kUBlocks];

  // Forward, s and z rows (lanes k..k+3): w_s = target_s, w_z = target_z - L(z,s)*w_s.
  // The s entries are scaled by their reciprocal pivots at once (the diagonal
  // step), the z entries once the u rows have used them.
  for (int b = 0; b < kBlocks; ++b) {
    const int k = 4 * b;
    const Lanes ws = load(&target[kStackS + k]);
    vs[b] = load(&Dinv[kPosS + k]) * ws;
    wz[b] = load(&target[kStackZ + k]) - Values::L_z_s_times(k, ws, vs[b]);
  }
  // Forward, e rows: no entries.
  const Lanes we = load(&target[kStackX]);
  // Forward, u rows (lanes j..j+3): (target_u - L(u,z_j)*w) - L(u,z_16+j)*w.
  for (int b = 0; b < kUBlocks; ++b) {
    const int j = 4 * b;
    const Lanes v_low = load(&Dinv[kPosZ + j]) * wz[b];
    const Lanes v_high = load(&Dinv[kPosZ + kEffortCount + j]) * wz[b + kUBlocks];
    wu[b] = Values::u_rows_less_z(j, load(&target[kStackU + j]), wz[b], wz[b + kUBlocks], v_low,
                                  v_high);
    wz[b] = v_low;
    wz[b + kUBlocks] = v_high;
  }
  // Forward, y rows (lane i = row y_i): target - L(y,e)*w_e, then minus
  // L(y,u_j)*w_u_j for j = 0..15, then the y-y terms lane by lane. The
  // products of four u entries are formed along each stored row of L and
  // transposed, so that lane i again holds row y_i.
  const Lanes ve = load(&Dinv[kPosE]) * we;
  Lanes t = Values::y_rows_less_e(load(&target[kStackY]), we, ve);
  for (int b = 0; b < kUBlocks; ++b) {
    const int j = 4 * b;
    Lanes products[4];
    for (int i = 0; i < kEqualityCount; ++i) {
      products[i] = load(&L[fl_y_u(i, j)]) * wu[b];
    }
    transpose(products);
    for (int c = 0; c < 4; ++c) {
      t = t - products[c];
    }
  }
  double y0 = t[0];
  double y1 = t[1] - L[fl_y_y(1, 0)] * y0;
  double y2 = (t[2] - L[fl_y_y(2, 0)] * y0) - L[fl_y_y(2, 1)] * y1;
  double y3 = ((t[3] - L[fl_y_y(3, 0)] * y0) - L[fl_y_y(3, 1)] * y1) - L[fl_y_y(3, 2)] * y2;

  // Diagonal, for the u and y entries.
  for (int b = 0; b < kUBlocks; ++b) {
    wu[b] = load(&Dinv[kPosU + 4 * b]) * wu[b];
  }
  y0 = Dinv[kPosY] * y0;
  y1 = Dinv[kPosY + 1] * y1;
  y2 = Dinv[kPosY + 2] * y2;
  y3 = Dinv[kPosY + 3] * y3;

  // Backward, y columns 86, 85, 84: each sum from its first product, ascending
  // rows. From here on every final entry goes straight to its stacked place
  // in result (the scatter).
  y2 = y2 - L[fl_y_y(3, 2)] * y3;
  y1 = y1 - (L[fl_y_y(2, 1)] * y2 + L[fl_y_y(3, 1)] * y3);
  y0 = y0 - ((L[fl_y_y(1, 0)] * y1 + L[fl_y_y(2, 0)] * y2) + L[fl_y_y(3, 0)] * y3);
  const Lanes wy = {y0, y1, y2, y3};
  // Backward, u columns (lanes j..j+3): rows y_0..y_3 in ascending order.
  Lanes xu[kUBlocks];
  for (int b = 0; b < kUBlocks; ++b) {
    const int j = 4 * b;
    const Lanes sum = ((load(&L[fl_y_u(0, j)]) * splat(y0) + load(&L[fl_y_u(1, j)]) * splat(y1)) +
                       load(&L[fl_y_u(2, j)]) * splat(y2)) +
                      load(&L[fl_y_u(3, j)]) * splat(y3);
    xu[b] = wu[b] - sum;
  }
  // Backward, e columns (lane i): row y_i.
  const Lanes xe = Values::e_less_y(ve, wy);
  // Backward, z columns (lanes j..j+3): z_j and z_(16+j) each have row u_j.
  Lanes xz[kBlocks];
  for (int b = 0; b < kUBlocks; ++b) {
    const int j = 4 * b;
    xz[b] = Values::z_low_less_u(j, wz[b], xu[b]);
    xz[b + kUBlocks] = Values::z_high_less_u(j, wz[b + kUBlocks], xu[b]);
  }
  // Backward, s columns (lanes k..k+3): row z_k. Then the scatter, in
  // ascending stacked order.
  put<kUpdate>(result, var, kStackX, xe);
  for (int b = 0; b < kUBlocks; ++b) {
    put<kUpdate>(result, var, kStackU + 4 * b, xu[b]);
  }
  for (int b = 0; b < kBlocks; ++b) {
    const int k = 4 * b;
    put<kUpdate>(result, var, kStackS + k, Values::s_less_z(k, vs[b], xz[b]));
  }
  for (int b = 0; b < kBlocks; ++b) {
    put<kUpdate>(result, var, kStackZ + 4 * b, xz[b]);
  }
  put<kUpdate>(result, var, kStackY, wy);
}

void print_check(const double* target, const double* result) {
  if (solver_settings.print_kkt_checks != 0) {
    console_print("Squared norm for solution is %.8g.\n", kkt_solve_check(target, result));
  }
}

}  // namespace

void kkt_solve(const double* target, double* result) {
  solve<false, StoredValues>(target, result, nullptr);
  print_check(target, result);
}

void kkt_solve_and_update(const double* target, double* correction, double* var) {
  solve<true, StoredValues>(target, correction, var);
  print_check(target, correction);
}

void kkt_solve_filled(const double* target, double* result) {
  solve<false, FilledValues>(target, result, nullptr);
  print_check(target, result);
}

void kkt_solve_and_update_filled(const double* target, double* correction, double* var) {
  solve<true, FilledValues>(target, correction, var);
  print_check(target, correction);
}

double kkt_solve_check(const double* target, const double* result) {
  kkt_multiply(workspace.kkt_work, result);
  double sum = 0.0;
  for (int i = 0; i < kKktSize; ++i) {
    const double d = target[i] - workspace.kkt_work[i];
    sum = sum + d * d;
  }
  return sum;
}

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
