// The interior-point iteration, compiled once per instruction set like the
// rest of the arithmetic; solve_qp (solver/solve_qp.h) runs the active build's.
#pragma once

#include <cstdint>

#include "kkt/instruction_set_namespace.h"

namespace sfqp {
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

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
