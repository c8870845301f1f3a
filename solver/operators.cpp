// Every sum runs in index order from the value stated; every product and
// difference is rounded on its own. Independent entries run four at a time in
// lanes (kkt/lanes.h), each keeping its own order; a sum over entries adds the
// lanes one at a time, in index order.
#include "solver/operators.h"

#include "kkt/lanes.h"
#include "solver/operator_lanes.h"
#include "solver/records.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

using kkt::add_in_order;
using kkt::load;
using kkt::store;

void P_times(double* out20, const double* in20) {
  for (int i = 0; i < kUnknownCount; i += 4) {
    store(&out20[i], P_at(in20, i));
  }
}

void fill_q() {
  for (double& entry : workspace.q) {
    entry = 0.0;
  }
}

void fill_h() {
  for (int j = 0; j < kEffortCount; ++j) {
    workspace.h[j] = 0.0;
    workspace.h[kEffortCount + j] = 1.0;
  }
}

void fill_b() {
  for (int i = 0; i < kEqualityCount; ++i) {
    workspace.b[i] = problem_data.target[i];
  }
}

double duality_gap() {
  double sum = 0.0;
  for (int i = 0; i < kInequalityCount; i += 4) {
    sum = add_in_order(sum, load(&workspace.s[i]) * load(&workspace.z[i]));
  }
  return sum;
}

double objective_value() {
  double* const t = workspace.kkt_residual;
  P_times(t, workspace.x);
  double sum = 0.0;
  for (int i = 0; i < kUnknownCount; i += 4) {
    sum = add_in_order(sum, load(&t[i]) * load(&workspace.x[i]));
  }
  sum = sum * 0.5;
  for (int i = 0; i < kUnknownCount; i += 4) {
    sum = add_in_order(sum, load(&workspace.q[i]) * load(&workspace.x[i]));
  }
  return sum + 0.0;
}

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
