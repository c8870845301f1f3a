#pragma once

#include <cstdint>

namespace sfqp {

// Solves the QP held in problem_data with solver_settings by a primal-dual
// predictor-corrector interior-point method. Returns k + 1 when the tolerances
// are met after iteration k, iteration_limit when they are not met within it,
// and 0 when iteration_limit <= 0; workspace.converged tells the first two apart
// at the limit. The answer is read through solution.u.
std::int32_t solve_qp();

// Starting points and right-hand sides, each working on the workspace.
void plain_start();
void improved_start_point();
void improved_start_rhs();
void affine_rhs();
void corrector_rhs();

}  // namespace sfqp
