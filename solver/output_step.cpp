#include "solver/output_step.h"

#include "solver/block_problem.h"
#include "solver/solve_qp.h"

namespace sfqp {

void solve_block_problem(const double* coupling, const double* target, double* output) {
  set_default_settings();
  bind_views();
  solver_settings.print_progress = 0;

  // Column-major in both places: no transposition.
  for (int k = 0; k < kCouplingCount; ++k) {
    problem_data.coupling[k] = coupling[k];
  }
  for (int k = 0; k < kEqualityCount; ++k) {
    // cppcheck-suppress nullPointer ; every caller passes its 4 demands, never null
    problem_data.target[k] = target[k];
  }
  for (double& weight : problem_data.effort_weight) {
    weight = kBlockEffortWeight;
  }
  for (double& weight : problem_data.error_weight) {
    weight = kBlockErrorWeight;
  }

  const std::int32_t iterations = solve_qp();
  if (iterations > kBlockIterationBudget) {
    for (int k = 0; k < kEffortCount; ++k) {
      output[k] = 0.0;
    }
    return;
  }
  for (int k = 0; k < kEffortCount; ++k) {
    output[k] = solution.u[k];
  }
}

void embedded_step(const double* inputs, double* outputs) {
  solve_block_problem(inputs, inputs + kCouplingCount, outputs);
}

}  // namespace sfqp
