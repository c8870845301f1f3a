// The two ways the KKT kernels read the matrix's values and the factor's
// fixed-pattern entries, four positions at a time.
//
// StoredValues reads kkt_values and factor_L as laid out: the kernels' own
// contract, whatever those arrays hold. Their diagonal and below-diagonal
// entries are interleaved in pairs, so four diagonals take two loads and two
// shuffles.
//
// FilledValues is for a matrix fill_kkt has just written, as in the
// iteration: it reads each value from where fill_kkt took it (z_over_s,
// z_block_diagonal, the weights and the constant entries +1.0 and -1.0), and
// the factor's entries L(u, z) and L(y, e) as the one product (constant times
// reciprocal pivot) the factor formed them by. Every value has the bits of the
// stored one, and the shuffles are gone.
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
  // L(u_j, z_j) and L(u_j, z_(16+j)), stored side by side in row u_j.
  static Lanes L_u_zlow(int j) {
    return even(load(&workspace.factor_L[fl_u_zlow(j)]),
                load(&workspace.factor_L[fl_u_zlow(j + 2)]));
  }
  static Lanes L_u_zhigh(int j) {
    return odd(load(&workspace.factor_L[fl_u_zlow(j)]),
               load(&workspace.factor_L[fl_u_zlow(j + 2)]));
  }
  // L(y_i, e_i).
  static Lanes L_y_e() {
    const double* const L = workspace.factor_L;
    return Lanes{L[fl_y_e(0)], L[fl_y_e(1)], L[fl_y_e(2)], L[fl_y_e(3)]};
  }

 private:
  static Lanes pair(int index) { return load(&workspace.kkt_values[index]); }
};

struct FilledValues {
  static Lanes s_diagonal(int k) { return load(&workspace.z_over_s[k]); }
  static Lanes z_s(int) { return splat(1.0); }
  static Lanes z_diagonal(int) { return splat(workspace.z_block_diagonal); }
  static Lanes u_z(int k) { return splat(k < kEffortCount ? -1.0 : 1.0); }
  static Lanes e_diagonal() { return load(problem_data.error_weight) * 2.0; }
  static Lanes y_e() { return splat(-1.0); }
  static Lanes u_diagonal(int j) { return load(&problem_data.effort_weight[j]) * 2.0; }
  // The factor forms L(r, c) as K(r, c) times the reciprocal of pivot c.
  static Lanes L_u_zlow(int j) { return u_z(j) * load(&workspace.factor_D_inverse[kPosZ + j]); }
  static Lanes L_u_zhigh(int j) {
    return u_z(kEffortCount + j) * load(&workspace.factor_D_inverse[kPosZ + kEffortCount + j]);
  }
  static Lanes L_y_e() { return y_e() * load(&workspace.factor_D_inverse[kPosE]); }
};

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp::kkt
