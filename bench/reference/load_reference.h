// Loading a problem, or the solver's current KKT state, into a ReferenceSolver.
#pragma once

#include "api/core_api.h"
#include "bench/reference/reference_solver.h"
#include "solver/records.h"

namespace sfqp::bench {

template <class Real, std::size_t N>
void copy_into(Real (&to)[N], const double* from) {
  for (std::size_t i = 0; i < N; ++i) {
    to[i] = from[i];
  }
}

template <class Real>
void load_problem(ReferenceSolver<Real>& reference, const api::Problem& problem) {
  copy_into(reference.coupling, problem.coupling.data());
  copy_into(reference.target, problem.target.data());
  copy_into(reference.error_weight, problem.error_weight.data());
  copy_into(reference.effort_weight, problem.effort_weight.data());
}

// The KKT matrix, factors and settings that the solver's records hold now.
template <class Real>
void load_kkt_state(ReferenceSolver<Real>& reference) {
  copy_into(reference.kkt_values, workspace.kkt_values);
  copy_into(reference.factor_L, workspace.factor_L);
  copy_into(reference.factor_D, workspace.factor_D);
  copy_into(reference.factor_D_inverse, workspace.factor_D_inverse);
  reference.kkt_regularization = solver_settings.kkt_regularization;
  reference.refinement_passes = solver_settings.refinement_passes;
}

}  // namespace sfqp::bench
