#pragma once

#include <cstdint>

#include "kkt/instruction_set_namespace.h"

namespace sfqp {

// Solves the QP held in problem_data with solver_settings by a primal-dual
// predictor-corrector interior-point method. Returns k + 1 when the tolerances
// are met after iteration k, iteration_limit when they are not met within it,
// and 0 when iteration_limit <= 0; workspace.converged tells the first two apart
// at the limit. The answer is read through solution.u. Runs the build of the
// arithmetic for the active instruction set (solver/instruction_set.h); every
// build gives the same bits.
std::int32_t solve_qp();

inline namespace SFQP_INSTRUCTION_SET {

// solve_qp as this build of the arithmetic computes it.
std::int32_t interior_point_solve();

// Starting points and right-hand sides, each working on the workspace.
// improved_start_point factors the start's matrix but, unless the self-checks
// print, leaves kkt_values to interior_point_solve, which writes it on the way
// out.
void plain_start();
void improved_start_point();
void improved_start_rhs();
void affine_rhs();
void corrector_rhs();

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
