#include "solver/records.h"

namespace sfqp {

// Zero-filled at load time; the views stay null until the first bind.
ProblemData problem_data;
SolverSettings solver_settings;
SolverWorkspace workspace;
Solution solution;

void set_default_settings() {
  solver_settings.residual_tolerance = 1e-6;
  solver_settings.gap_tolerance = 1e-4;
  solver_settings.iteration_limit = 25;
  solver_settings.refinement_passes = 1;
  solver_settings.improved_start = 1;
  solver_settings.initial_slack = 1.0;
  solver_settings.initial_dual = 1.0;
  solver_settings.print_progress = 1;
  solver_settings.print_refinement = 0;
  solver_settings.print_kkt_checks = 0;
  solver_settings.kkt_regularization = 1e-7;
}

void bind_views() {
  solution.u = &workspace.x[kStackU];
  workspace.y = &workspace.iterate[0];
  workspace.s = &workspace.iterate[kEqualityCount];
  workspace.z = &workspace.iterate[kEqualityCount + kInequalityCount];
}

}  // namespace sfqp
