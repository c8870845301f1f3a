// Entry points that the KKT kernels share among themselves and that nothing
// outside kkt/ calls.
#pragma once

namespace sfqp::kkt {

// kkt_solve(target, correction), self-check line included, that also takes
// each final entry off var: var[i] := var[i] - correction[i], the update of a
// refinement pass. The three vectors must be distinct.
void kkt_solve_and_update(const double* target, double* correction, double* var);

}  // namespace sfqp::kkt
