// Every sum runs in index order from the value stated; every product and
// difference is rounded on its own.
#include "solver/operators.h"

#include "solver/records.h"

namespace sfqp {

namespace {

inline double c(int i, int j) {
  return problem_data.coupling[i + 4 * j];
}

}  // namespace

// Row i: in[i] minus c(i, j)*in[4+j] for j = 0..15.
void neg_A_times(double* out4, const double* in20) {
  for (int i = 0; i < kEqualityCount; ++i) {
    double acc = in20[i];
    for (int j = 0; j < kEffortCount; ++j) {
      acc = acc - c(i, j) * in20[kStackU + j];
    }
    out4[i] = acc;
  }
}

// Column j: ((-(c0*in0) - c1*in1) - c2*in2) - c3*in3; the e part is copied.
void neg_At_times(double* out20, const double* in4) {
  for (int i = 0; i < kErrorCount; ++i) {
    out20[i] = in4[i];
  }
  for (int j = 0; j < kEffortCount; ++j) {
    double acc = -(c(0, j) * in4[0]);
    for (int i = 1; i < kEqualityCount; ++i) {
      acc = acc - c(i, j) * in4[i];
    }
    out20[kStackU + j] = acc;
  }
}

void neg_G_times(double* out32, const double* in20) {
  for (int j = 0; j < kEffortCount; ++j) {
    out32[j] = in20[kStackU + j];
    out32[kEffortCount + j] = -in20[kStackU + j];
  }
}

void neg_Gt_times(double* out20, const double* in32) {
  for (int i = 0; i < kErrorCount; ++i) {
    out20[i] = 0.0;
  }
  for (int j = 0; j < kEffortCount; ++j) {
    out20[kStackU + j] = in32[j] - in32[kEffortCount + j];
  }
}

void P_times(double* out20, const double* in20) {
  for (int i = 0; i < kErrorCount; ++i) {
    out20[i] = (problem_data.error_weight[i] * 2.0) * in20[i];
  }
  for (int j = 0; j < kEffortCount; ++j) {
    out20[kStackU + j] = (problem_data.effort_weight[j] * 2.0) * in20[kStackU + j];
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
  for (int i = 0; i < kInequalityCount; ++i) {
    sum = sum + workspace.s[i] * workspace.z[i];
  }
  return sum;
}

double objective_value() {
  double* const t = workspace.kkt_residual;
  P_times(t, workspace.x);
  double sum = 0.0;
  for (int i = 0; i < kUnknownCount; ++i) {
    sum = sum + t[i] * workspace.x[i];
  }
  sum = sum * 0.5;
  for (int i = 0; i < kUnknownCount; ++i) {
    sum = sum + workspace.q[i] * workspace.x[i];
  }
  return sum + 0.0;
}

double eq_residual() {
  double* const r = workspace.kkt_residual;
  neg_A_times(r, workspace.x);
  double sum = 0.0;
  for (int i = 0; i < kEqualityCount; ++i) {
    r[i] = r[i] + workspace.b[i];
    sum = sum + r[i] * r[i];
  }
  return sum;
}

double ineq_residual() {
  double* const r = workspace.kkt_residual;
  neg_G_times(r, workspace.x);
  double sum = 0.0;
  for (int i = 0; i < kInequalityCount; ++i) {
    r[i] = (workspace.h[i] - workspace.s[i]) + r[i];
    sum = sum + r[i] * r[i];
  }
  return sum;
}

}  // namespace sfqp
