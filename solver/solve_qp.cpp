#include "solver/solve_qp.h"

#include <cmath>

#include "block/host_services.h"
#include "kkt/fill_kkt.h"
#include "kkt/kkt_factor.h"
#include "kkt/kkt_refine.h"
#include "kkt/kkt_solve.h"
#include "solver/operators.h"
#include "solver/records.h"

namespace sfqp {

namespace {

constexpr double kStepFactor = 0.99;                 // fraction of the way to the boundary
constexpr double kInverseInequalityCount = 0.03125;  // 1/32: mu is the gap over m

const double* ds() {
  return &workspace.direction[kStackS];
}
const double* dz() {
  return &workspace.direction[kStackZ];
}

// Largest step, at most 1, that lets no s or z entry lose more than the
// fraction f of its value along direction. The comparison is in multiplied
// form, so a division happens only when the running minimum changes.
double step_to_boundary(double f) {
  double m = 0.0;
  for (int i = 0; i < kInequalityCount; ++i) {
    if (workspace.s[i] * m > ds()[i]) {
      m = ds()[i] / workspace.s[i];
    }
  }
  for (int i = 0; i < kInequalityCount; ++i) {
    if (workspace.z[i] * m > dz()[i]) {
      m = dz()[i] / workspace.z[i];
    }
  }
  return m > -f ? 1.0 : -f / m;
}

void print_progress_row(int iteration, double alpha) {
  mexPrintf("%3d   %10.3e  %9.2e  %9.2e  %9.2e  % 6.4f\n", iteration, workspace.objv, workspace.gap,
            std::sqrt(workspace.eq_residual_sq), std::sqrt(workspace.ineq_residual_sq), alpha);
}

}  // namespace

void plain_start() {
  for (double& entry : workspace.x) {
    entry = 0.0;
  }
  for (int i = 0; i < kEqualityCount; ++i) {
    workspace.y[i] = 0.0;
  }
  for (int i = 0; i < kInequalityCount; ++i) {
    // A NaN h also takes initial_slack.
    workspace.s[i] = workspace.h[i] > 0.0 ? workspace.h[i] : solver_settings.initial_slack;
  }
  for (int i = 0; i < kInequalityCount; ++i) {
    workspace.z[i] = solver_settings.initial_dual;
  }
}

void improved_start_rhs() {
  double* const rhs = workspace.kkt_rhs;
  for (int i = 0; i < kUnknownCount; ++i) {
    rhs[kStackX + i] = -workspace.q[i];
  }
  for (int i = 0; i < kInequalityCount; ++i) {
    rhs[kStackS + i] = 0.0;
    rhs[kStackZ + i] = workspace.h[i];
  }
  for (int i = 0; i < kEqualityCount; ++i) {
    rhs[kStackY + i] = workspace.b[i];
  }
}

// One KKT solve with unit scaling and -1 on the z diagonal gives x, y and
// w = (Gx - h)/2; s = -w and z = w, each shifted where needed so that its
// smallest entry becomes 1.
void improved_start_point() {
  workspace.z_block_diagonal = -1.0;
  for (double& entry : workspace.z_over_s) {
    entry = 1.0;
  }
  fill_kkt();
  kkt_factor();
  improved_start_rhs();
  kkt_solve(workspace.kkt_rhs, workspace.direction);

  for (int i = 0; i < kUnknownCount; ++i) {
    workspace.x[i] = workspace.direction[kStackX + i];
  }
  for (int i = 0; i < kEqualityCount; ++i) {
    workspace.y[i] = workspace.direction[kStackY + i];
  }
  const double* const w = &workspace.direction[kStackZ];

  double max_primal = -1e99;
  for (int i = 0; i < kInequalityCount; ++i) {
    if (w[i] > max_primal) {
      max_primal = w[i];
    }
  }
  for (int i = 0; i < kInequalityCount; ++i) {
    workspace.s[i] = max_primal < 0.0 ? -w[i] : (max_primal + 1.0) - w[i];
  }

  double max_dual = -1e99;
  for (int i = 0; i < kInequalityCount; ++i) {
    if (-w[i] > max_dual) {
      max_dual = -w[i];
    }
  }
  for (int i = 0; i < kInequalityCount; ++i) {
    workspace.z[i] = max_dual < 0.0 ? w[i] : (max_dual + 1.0) + w[i];
  }
}

// Predictor: -(Px + q + A'y + G'z), -z, -(Gx + s - h), -(Ax - b).
void affine_rhs() {
  double* const rhs = workspace.kkt_rhs;
  double* const t = workspace.kkt_residual;
  neg_At_times(&rhs[kStackX], workspace.y);
  neg_Gt_times(t, workspace.z);
  for (int i = 0; i < kUnknownCount; ++i) {
    rhs[kStackX + i] = t[i] + rhs[kStackX + i];
  }
  P_times(t, workspace.x);
  for (int i = 0; i < kUnknownCount; ++i) {
    rhs[kStackX + i] = rhs[kStackX + i] - (t[i] + workspace.q[i]);
  }
  for (int i = 0; i < kInequalityCount; ++i) {
    rhs[kStackS + i] = -workspace.z[i];
  }
  neg_G_times(&rhs[kStackZ], workspace.x);
  for (int i = 0; i < kInequalityCount; ++i) {
    rhs[kStackZ + i] = (workspace.h[i] - workspace.s[i]) + rhs[kStackZ + i];
  }
  neg_A_times(&rhs[kStackY], workspace.x);
  for (int i = 0; i < kEqualityCount; ++i) {
    rhs[kStackY + i] = rhs[kStackY + i] + workspace.b[i];
  }
}

// Centering corrector from the affine direction in workspace.direction: sigma
// is the cube of the ratio of the gaps after and before the affine step, mu the
// gap over the 32 inequalities.
void corrector_rhs() {
  double gap = 0.0;
  for (int i = 0; i < kInequalityCount; ++i) {
    gap = gap + workspace.s[i] * workspace.z[i];
  }
  const double alpha_affine = step_to_boundary(1.0);
  double gap_affine = 0.0;
  for (int i = 0; i < kInequalityCount; ++i) {
    gap_affine = gap_affine + (alpha_affine * ds()[i] + workspace.s[i]) *
                                  (alpha_affine * dz()[i] + workspace.z[i]);
  }
  const double ratio = gap_affine / gap;
  const double sigma_mu = ((ratio * ratio) * ratio) * (gap * kInverseInequalityCount);

  double* const rhs = workspace.kkt_rhs;
  for (int i = 0; i < kUnknownCount; ++i) {
    rhs[kStackX + i] = 0.0;
  }
  for (int i = kStackZ; i < kKktSize; ++i) {
    rhs[i] = 0.0;
  }
  for (int i = 0; i < kInequalityCount; ++i) {
    rhs[kStackS + i] = (sigma_mu - dz()[i] * ds()[i]) * workspace.inverse_slack[i];
  }
}

std::int32_t solve_qp() {
  workspace.converged = 0;
  bind_views();
  if (solver_settings.print_progress != 0) {
    mexPrintf("iter     objv        gap       |Ax-b|    |Gx+s-h|    step\n");
  }
  fill_q();
  fill_h();
  fill_b();
  if (solver_settings.improved_start != 0) {
    improved_start_point();
  } else {
    plain_start();
  }
  const std::int32_t limit = solver_settings.iteration_limit;
  if (limit <= 0) {
    return 0;
  }

  for (std::int32_t k = 0; k < limit; ++k) {
    for (int i = 0; i < kInequalityCount; ++i) {
      workspace.inverse_slack[i] = 1.0 / workspace.s[i];
      workspace.z_over_s[i] = workspace.inverse_slack[i] * workspace.z[i];
    }
    workspace.z_block_diagonal = 0.0;
    fill_kkt();
    kkt_factor();

    affine_rhs();
    kkt_solve(workspace.kkt_rhs, workspace.direction);
    kkt_refine(workspace.kkt_rhs, workspace.direction);

    corrector_rhs();
    kkt_solve(workspace.kkt_rhs, workspace.corrector_direction);
    kkt_refine(workspace.kkt_rhs, workspace.corrector_direction);

    for (int i = 0; i < kKktSize; ++i) {
      workspace.direction[i] = workspace.corrector_direction[i] + workspace.direction[i];
    }
    const double alpha = step_to_boundary(kStepFactor);

    const double* const d = workspace.direction;
    for (int i = 0; i < kUnknownCount; ++i) {
      workspace.x[i] = alpha * d[kStackX + i] + workspace.x[i];
    }
    for (int i = 0; i < kInequalityCount; ++i) {
      workspace.s[i] = alpha * d[kStackS + i] + workspace.s[i];
    }
    for (int i = 0; i < kInequalityCount; ++i) {
      workspace.z[i] = alpha * d[kStackZ + i] + workspace.z[i];
    }
    for (int i = 0; i < kEqualityCount; ++i) {
      workspace.y[i] = alpha * d[kStackY + i] + workspace.y[i];
    }

    workspace.gap = duality_gap();
    workspace.eq_residual_sq = eq_residual();
    workspace.ineq_residual_sq = ineq_residual();
    if (solver_settings.print_progress != 0) {
      workspace.objv = objective_value();
      print_progress_row(k + 1, alpha);
    }
    const double t = solver_settings.residual_tolerance * solver_settings.residual_tolerance;
    if (workspace.gap < solver_settings.gap_tolerance && workspace.eq_residual_sq <= t &&
        workspace.ineq_residual_sq <= t) {
      workspace.converged = 1;
      workspace.objv = objective_value();
      return k + 1;
    }
  }
  return limit;
}

}  // namespace sfqp
