// fill_kkt: plain assignment of the 216 stored values; the constants are written
// every time too, so nothing of the previous contents is read or kept.
#include "kkt/fill_kkt.h"

#include "kkt/kkt_pattern.h"

namespace sfqp {

using namespace kkt;

void fill_kkt() {
  double* const K = workspace.kkt_values;
  for (int k = 0; k < kInequalityCount; ++k) {
    K[kv_s_diag(k)] = workspace.z_over_s[k];
    K[kv_z_s(k)] = 1.0;
  }
  for (int k = 0; k < kInequalityCount; ++k) {
    K[kv_z_diag(k)] = workspace.z_block_diagonal;
    K[kv_u_z(k)] = k < kEffortCount ? -1.0 : 1.0;
  }
  for (int i = 0; i < kErrorCount; ++i) {
    K[kv_e_diag(i)] = problem_data.error_weight[i] * 2.0;
    K[kv_y_e(i)] = -1.0;
  }
  for (int j = 0; j < kEffortCount; ++j) {
    K[kv_u_diag(j)] = problem_data.effort_weight[j] * 2.0;
    for (int i = 0; i < kEqualityCount; ++i) {
      K[kv_y_u(i, j)] = problem_data.coupling[i + 4 * j];
    }
  }
}

}  // namespace sfqp
