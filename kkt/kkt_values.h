// The ways the KKT kernels read the matrix's values and the factor's
// fixed-pattern entries, four positions at a time.
//
// StoredValues reads kkt_values and factor_L as laid out: the kernels' own
// contract, whatever those arrays hold. Their diagonal and below-diagonal
// entries are interleaved in pairs, so four diagonals take two loads and two
// shuffles.
//
// FilledValues reads each value from where fill_kkt takes it (z_over_s,
// z_block_diagonal, the weights, the coupling and the constant entries +1.0
// and -1.0), so its kernels need nothing of kkt_values; and it forms the
// solve's terms in the entries of L below the s, z and e pivots from the
// reciprocal pivots, as the factor formed those entries. Every value and term
// has the bits of the stored reading's, and the shuffles are gone.
// StartValues is FilledValues at the improved start, where the scaling is a
// constant (below).
#pragma once

#include "kkt/kkt_pattern.h"
#include "kkt/lanes.h"
#include "solver/records.h"

namespace sfqp::kkt {
inline namespace SFQP_INSTRUCTION_SET {

// In every function k and j are multiples of 4, and lane c holds position
// k + c (or j + c); the e and y functions hold e_i or y_i in lane i.
struct StoredValues {
  // K(s_k, s_k) and K(z_k, s_k).
  static Lanes s_diagonal(int k) { return even(pair(kv_s_diag(k)), pair(kv_s_diag(k + 2))); }
  static Lanes z_s(int k) { return odd(pair(kv_s_diag(k)), pair(kv_s_diag(k + 2))); }
  // K(z_k, z_k) and K(u_(k mod 16), z_k).
  static Lanes z_diagonal(int k) { return even(pair(kv_z_diag(k)), pair(kv_z_diag(k + 2))); }
  static Lanes u_z(int k) { return odd(pair(kv_z_diag(k)), pair(kv_z_diag(k + 2))); }
  // K(e_i, e_i) and K(y_i, e_i).
  static Lanes e_diagonal() { return even(pair(kv_e_diag(0)), pair(kv_e_diag(2))); }
  static Lanes y_e() { return odd(pair(kv_e_diag(0)), pair(kv_e_diag(2))); }
  // K(u_j, u_j).
  static Lanes u_diagonal(int j) {
    const double* const K = workspace.kkt_values;
    return Lanes{K[kv_u_diag(j)], K[kv_u_diag(j + 1)], K[kv_u_diag(j + 2)], K[kv_u_diag(j + 3)]};
  }
  // K(y_i, u_j) for i = 0..3: column u_j of the y rows.
  static Lanes y_u(int j) { return load(&workspace.kkt_values[kv_y_u(0, j)]); }
  // The solve's terms in the entries of L below the s, z and e pivots. w
  // holds entries before their diagonal step, v after it (v = w times the
  // reciprocal pivot).
  // Forward: L(z_k, s_k)*w_s.
  static Lanes L_z_s_times(int k, Lanes w_s, Lanes /*v_s*/) { return L_z_s(k) * w_s; }
  // Forward, rows u_j: (target - L(u_j, z_j)*w_low) - L(u_j, z_(16+j))*w_high.
  static Lanes u_rows_less_z(int j, Lanes target, Lanes w_low, Lanes w_high, Lanes /*v_low*/,
                             Lanes /*v_high*/) {
    return (target - L_u_zlow(j) * w_low) - L_u_zhigh(j) * w_high;
  }
  // Forward, rows y_i: target - L(y_i, e_i)*w_e.
  static Lanes y_rows_less_e(Lanes target, Lanes w_e, Lanes /*v_e*/) {
    return target - L_y_e() * w_e;
  }
  // Backward: v - L(r, c)*x for the columns c of the s, z and e pivots.
  static Lanes s_less_z(int k, Lanes v_s, Lanes x_z) { return v_s - L_z_s(k) * x_z; }
  static Lanes z_low_less_u(int j, Lanes v_z, Lanes x_u) { return v_z - L_u_zlow(j) * x_u; }
  static Lanes z_high_less_u(int j, Lanes v_z, Lanes x_u) { return v_z - L_u_zhigh(j) * x_u; }
  static Lanes e_less_y(Lanes v_e, Lanes x_y) { return v_e - L_y_e() * x_y; }

 private:
  static Lanes pair(int index) { return load(&workspace.kkt_values[index]); }
  static Lanes L_z_s(int k) { return load(&workspace.factor_L[fl_z_s(k)]); }
  // L(u_j, z_j) and L(u_j, z_(16+j)), stored side by side in row u_j.
  static Lanes L_u_zlow(int j) {
    return even(load(&workspace.factor_L[fl_u_zlow(j)]),
                load(&workspace.factor_L[fl_u_zlow(j + 2)]));
  }
  static Lanes L_u_zhigh(int j) {
    return odd(load(&workspace.factor_L[fl_u_zlow(j)]),
               load(&workspace.factor_L[fl_u_zlow(j + 2)]));
  }
  static Lanes L_y_e() {
    const double* const L = workspace.factor_L;
    return Lanes{L[fl_y_e(0)], L[fl_y_e(1)], L[fl_y_e(2)], L[fl_y_e(3)]};
  }
};

struct FilledValues {
  static Lanes s_diagonal(int k) { return load(&workspace.z_over_s[k]); }
  static Lanes z_s(int) { return splat(1.0); }
  static Lanes z_diagonal(int) { return splat(workspace.z_block_diagonal); }
  static Lanes u_z(int k) { return splat(k < kEffortCount ? -1.0 : 1.0); }
  static Lanes e_diagonal() { return load(problem_data.error_weight) * 2.0; }
  static Lanes y_e() { return splat(-1.0); }
  static Lanes u_diagonal(int j) { return load(&problem_data.effort_weight[j]) * 2.0; }
  // The coupling's column j is column u_j of the y rows.
  static Lanes y_u(int j) { return load(&problem_data.coupling[kEqualityCount * j]); }
  // The factor forms L(r, c) as K(r, c) times r_c, the reciprocal of pivot c,
  // and here K(r, c) is 1.0 at (z_k, s_k) and (u_j, z_(16+j)), and -1.0 at
  // (u_j, z_j) and (y_i, e_i). So L(r, c) is r_c or -r_c, L(r, c)*w is v or
  // -v (with v = r_c*w, the entry after its diagonal step), and subtracting
  // -r_c*x is adding r_c*x: exactly, as the sign of a product or of a
  // difference never changes its rounding.
  static Lanes L_z_s_times(int, Lanes, Lanes v_s) { return v_s; }
  static Lanes u_rows_less_z(int, Lanes target, Lanes, Lanes, Lanes v_low, Lanes v_high) {
    return (target + v_low) - v_high;
  }
  static Lanes y_rows_less_e(Lanes target, Lanes, Lanes v_e) { return target + v_e; }
  static Lanes s_less_z(int k, Lanes v_s, Lanes x_z) { return v_s - reciprocal(kPosS + k) * x_z; }
  static Lanes z_low_less_u(int j, Lanes v_z, Lanes x_u) {
    return v_z + reciprocal(kPosZ + j) * x_u;
  }
  static Lanes z_high_less_u(int j, Lanes v_z, Lanes x_u) {
    return v_z - reciprocal(kPosZ + kEffortCount + j) * x_u;
  }
  static Lanes e_less_y(Lanes v_e, Lanes x_y) { return v_e + reciprocal(kPosE) * x_y; }

 private:
  static Lanes reciprocal(int p) { return load(&workspace.factor_D_inverse[p]); }
};

// The matrix of the improved start, whose scaling is fixed: z_over_s is 1.0 in
// every entry and z_block_diagonal is -1.0 (improved_start_point sets them so).
// Read as constants, the s columns are all alike and so are the z columns, and
// the compiler forms each stanza's pivot and reciprocal once rather than for
// eight blocks: 11 divisions instead of 25 in the factor.
struct StartValues : FilledValues {
  static Lanes s_diagonal(int) { return splat(1.0); }
  static Lanes z_diagonal(int) { return splat(-1.0); }
};

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp::kkt
