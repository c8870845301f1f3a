// kkt_multiply: one expression per stacked row, each sum accumulated left to
// right in the order written below; every stored value serves both of its rows.
// kkt_refine: residual K*var - target, correction solved from it, subtracted.
#include "kkt/kkt_refine.h"

#include "block/host_services.h"
#include "kkt/kkt_pattern.h"
#include "kkt/kkt_solve.h"

namespace sfqp {

using namespace kkt;

void kkt_multiply(double* result, const double* source) {
  const double* const K = workspace.kkt_values;
  const double* const v = source;
  for (int i = 0; i < kErrorCount; ++i) {
    result[kStackX + i] = K[kv_e_diag(i)] * v[kStackX + i] + K[kv_y_e(i)] * v[kStackY + i];
  }
  for (int j = 0; j < kEffortCount; ++j) {
    double sum = K[kv_u_diag(j)] * v[kStackU + j] + K[kv_u_z(j)] * v[kStackZ + j];
    sum = sum + K[kv_u_z(kEffortCount + j)] * v[kStackZ + kEffortCount + j];
    for (int i = 0; i < kEqualityCount; ++i) {
      sum = sum + K[kv_y_u(i, j)] * v[kStackY + i];
    }
    result[kStackU + j] = sum;
  }
  for (int k = 0; k < kInequalityCount; ++k) {
    result[kStackS + k] = K[kv_s_diag(k)] * v[kStackS + k] + K[kv_z_s(k)] * v[kStackZ + k];
  }
  for (int k = 0; k < kInequalityCount; ++k) {
    const double sum = K[kv_z_diag(k)] * v[kStackZ + k] + K[kv_z_s(k)] * v[kStackS + k];
    result[kStackZ + k] = sum + K[kv_u_z(k)] * v[kStackU + k % kEffortCount];
  }
  for (int i = 0; i < kEqualityCount; ++i) {
    double sum = K[kv_y_e(i)] * v[kStackX + i] + K[kv_y_u(i, 0)] * v[kStackU];
    for (int j = 1; j < kEffortCount; ++j) {
      sum = sum + K[kv_y_u(i, j)] * v[kStackU + j];
    }
    result[kStackY + i] = sum;
  }
}

namespace {

// kkt_residual := K*var - target; returns its squared norm.
double residual_into_workspace(const double* target, const double* var) {
  kkt_multiply(workspace.kkt_residual, var);
  double norm = 0.0;
  for (int i = 0; i < kKktSize; ++i) {
    workspace.kkt_residual[i] = workspace.kkt_residual[i] - target[i];
    norm = norm + workspace.kkt_residual[i] * workspace.kkt_residual[i];
  }
  return norm;
}

constexpr const char* kInitialResidualFormat =
    "Initial residual before refinement has norm squared %.6g.\n";
constexpr const char* kRefinedResidualFormat = "After refinement we get squared norm %.6g.\n";

}  // namespace

void kkt_refine(const double* target, double* var) {
  const int passes = solver_settings.refinement_passes;
  const bool print = solver_settings.print_refinement != 0;
  for (int pass = 0; pass < passes; ++pass) {
    const double norm = residual_into_workspace(target, var);
    if (print) {
      mexPrintf(pass == 0 ? kInitialResidualFormat : kRefinedResidualFormat, norm);
    }
    kkt_solve(workspace.kkt_residual, workspace.kkt_correction);
    for (int i = 0; i < kKktSize; ++i) {
      var[i] = var[i] - workspace.kkt_correction[i];
    }
  }
  if (print) {
    const double norm = residual_into_workspace(target, var);
    mexPrintf(passes > 0 ? kRefinedResidualFormat : kInitialResidualFormat, norm);
  }
}

}  // namespace sfqp
