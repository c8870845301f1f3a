#pragma once

#include <cstdint>

namespace sfqp {

// Solves the QP held in problem_data with solver_settings by a primal-dual
// predictor-corrector interior-point method. Returns k + 1 when the tolerances
// are met after iteration k, iteration_limit when they are not met within it,
// and 0 when iteration_limit <= 0; workspace.converged tells the first two apart
// at the limit. The answer is read through solution.u. Runs the build of the
// arithmetic for the active instruction set (solver/instruction_set.h); every
// build gives the same bits.
std::int32_t solve_qp();

}  // namespace sfqp
