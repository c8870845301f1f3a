#pragma once

#include "kkt/instruction_set_namespace.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

// result := K*source, K the stored matrix as assembled (no regularisation);
// result and source must be distinct, and neither may be kkt_values.
void kkt_multiply(double* result, const double* source);

// Improves var, the result of kkt_solve(target, var), by refinement_passes
// passes against the unregularised matrix. With print_refinement set, prints
// the squared residual before and after.
void kkt_refine(const double* target, double* var);

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
