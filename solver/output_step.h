// The block's output step on plain arrays: the one definition of what a step
// computes, for the block (block/block_outputs.cpp, after it has fetched its
// port signals) and for flight software that embeds the core without a host.
//
// A step restores the default settings with the progress table off, poses the
// QP from the coupling and the targets with the block's weights, solves it and
// writes u, or zeros when the solve took more iterations than the block's
// budget. It allocates nothing, raises nothing and prints nothing (unless a
// console sink is set and a setting asks for printing); like every solve it
// works on the process-wide records, so steps must not overlap.
#pragma once

// Named from this folder: installed, these headers sit together under
// include/sfqpsolv/solver, and a consumer has only include/ on its path.
#include "records.h"

namespace sfqp {

// The block's inputs in port order: the 4x16 coupling column-major (input 1),
// then the four targets (inputs 2 to 5).
inline constexpr int kStepInputCount = kCouplingCount + kEqualityCount;  // 68
// Output 1: the 4x4 matrix of u, column-major.
inline constexpr int kStepOutputCount = kEffortCount;  // 16

// coupling: 64 doubles; target: 4; output: 16.
void solve_block_problem(const double* coupling, const double* target, double* output);

// The same step on the block's 68 input values in one array, writing its 16
// outputs.
void embedded_step(const double* inputs, double* outputs);

}  // namespace sfqp
