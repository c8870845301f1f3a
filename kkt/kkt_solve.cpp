// kkt_solve: gather into elimination order, forward substitution with L (each
// row subtracts its products one at a time in ascending column order), scaling
// by the stored reciprocal pivots, backward substitution with L' (each column's
// products summed over ascending rows from the first product, then subtracted
// once), scatter back to stacked order. No divisions, no branches on data.
#include "kkt/kkt_solve.h"

#include "block/host_services.h"
#include "kkt/kkt_pattern.h"
#include "kkt/kkt_refine.h"

namespace sfqp {

using namespace kkt;

void kkt_solve(const double* target, double* result) {
  const double* const L = workspace.factor_L;
  double* const w = workspace.kkt_work;

  // Forward: L*w = target permuted.
  for (int k = 0; k < kInequalityCount; ++k) {
    w[kPosS + k] = target[kStackS + k];
  }
  for (int k = 0; k < kInequalityCount; ++k) {
    w[kPosZ + k] = target[kStackZ + k] - L[fl_z_s(k)] * w[kPosS + k];
  }
  for (int i = 0; i < kErrorCount; ++i) {
    w[kPosE + i] = target[kStackX + i];
  }
  for (int j = 0; j < kEffortCount; ++j) {
    w[kPosU + j] = (target[kStackU + j] - L[fl_u_zlow(j)] * w[kPosZ + j]) -
                   L[fl_u_zhigh(j)] * w[kPosZ + kEffortCount + j];
  }
  for (int i = 0; i < kEqualityCount; ++i) {
    double t = target[kStackY + i] - L[fl_y_e(i)] * w[kPosE + i];
    for (int j = 0; j < kEffortCount; ++j) {
      t = t - L[fl_y_u(i, j)] * w[kPosU + j];
    }
    for (int c = 0; c < i; ++c) {
      t = t - L[fl_y_y(i, c)] * w[kPosY + c];
    }
    w[kPosY + i] = t;
  }

  // Diagonal.
  for (int p = 0; p < kKktSize; ++p) {
    w[p] = workspace.factor_D_inverse[p] * w[p];
  }

  // Backward: L'*w = the scaled vector, positions 86 down to 0.
  for (int c = kEqualityCount - 2; c >= 0; --c) {
    double sum = L[fl_y_y(c + 1, c)] * w[kPosY + c + 1];
    for (int r = c + 2; r < kEqualityCount; ++r) {
      sum = sum + L[fl_y_y(r, c)] * w[kPosY + r];
    }
    w[kPosY + c] = w[kPosY + c] - sum;
  }
  for (int j = kEffortCount - 1; j >= 0; --j) {
    double sum = L[fl_y_u(0, j)] * w[kPosY];
    for (int i = 1; i < kEqualityCount; ++i) {
      sum = sum + L[fl_y_u(i, j)] * w[kPosY + i];
    }
    w[kPosU + j] = w[kPosU + j] - sum;
  }
  for (int i = kErrorCount - 1; i >= 0; --i) {
    w[kPosE + i] = w[kPosE + i] - L[fl_y_e(i)] * w[kPosY + i];
  }
  for (int j = kEffortCount - 1; j >= 0; --j) {
    w[kPosZ + kEffortCount + j] = w[kPosZ + kEffortCount + j] - L[fl_u_zhigh(j)] * w[kPosU + j];
  }
  for (int j = kEffortCount - 1; j >= 0; --j) {
    w[kPosZ + j] = w[kPosZ + j] - L[fl_u_zlow(j)] * w[kPosU + j];
  }
  for (int k = kInequalityCount - 1; k >= 0; --k) {
    w[kPosS + k] = w[kPosS + k] - L[fl_z_s(k)] * w[kPosZ + k];
  }

  // Scatter.
  for (int p = 0; p < kKktSize; ++p) {
    result[elimination_order(p)] = w[p];
  }

  if (solver_settings.print_kkt_checks != 0) {
    mexPrintf("Squared norm for solution is %.8g.\n", kkt_solve_check(target, result));
  }
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

}  // namespace sfqp
