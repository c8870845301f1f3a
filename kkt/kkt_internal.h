// Entry points that the KKT kernels share among themselves and that nothing
// outside kkt/ calls but their tests.
#pragma once

#include "kkt/instruction_set_namespace.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

// kkt_solve(target, correction), self-check line included, that also takes
// each final entry off var: var[i] := var[i] - correction[i], the update of a
// refinement pass. The three vectors must be distinct, and none may be one
// of the factors.
void kkt_solve_and_update(const double* target, double* correction, double* var);

// The same with the factors of kkt_factor_filled (kkt/filled_kkt.h).
void kkt_solve_and_update_filled(const double* target, double* correction, double* var);

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
