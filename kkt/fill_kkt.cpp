// fill_kkt: plain assignment of the 216 stored values; the constants are written
// every time too, so nothing of the previous contents is read or kept. Each
// block's two interleaved entries (diagonal, then the entry below) are written
// four columns at a time.
#include "kkt/fill_kkt.h"

#include "kkt/kkt_pattern.h"
#include "kkt/lanes.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

using namespace kkt;

void fill_kkt() {
  double* const K = workspace.kkt_values;
  const Lanes ones = splat(1.0);
  // s columns: z_over_s[k] and the 1.0 at (z_k, s_k).
  for (int k = 0; k < kInequalityCount; k += 4) {
    const Lanes scaling = load(&workspace.z_over_s[k]);
    store(&K[kv_s_diag(k)], interleave_low(scaling, ones));
    store(&K[kv_s_diag(k + 2)], interleave_high(scaling, ones));
  }
  // z columns: z_block_diagonal and the -1.0 (k < 16) or +1.0 at (u_(k mod 16), z_k).
  const Lanes z_diagonal = splat(workspace.z_block_diagonal);
  for (int k = 0; k < kInequalityCount; k += 4) {
    const Lanes sign = k < kEffortCount ? -ones : ones;
    store(&K[kv_z_diag(k)], interleave_low(z_diagonal, sign));
    store(&K[kv_z_diag(k + 2)], interleave_high(z_diagonal, sign));
  }
  // e columns: 2*error_weight[i] and the -1.0 at (y_i, e_i).
  const Lanes weights = load(problem_data.error_weight) * 2.0;
  store(&K[kv_e_diag(0)], interleave_low(weights, -ones));
  store(&K[kv_e_diag(2)], interleave_high(weights, -ones));
  // u columns: 2*effort_weight[j], then coupling column j (rows y_0..y_3).
  for (int j = 0; j < kEffortCount; ++j) {
    K[kv_u_diag(j)] = problem_data.effort_weight[j] * 2.0;
    store(&K[kv_y_u(0, j)], load(&problem_data.coupling[4 * j]));
  }
}

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
