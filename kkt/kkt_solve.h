#pragma once

#include "kkt/instruction_set_namespace.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

// Solves K*result = target with the current factors; both are stacked
// 88-vectors and must be distinct (the self-check reads target again), and
// neither may be one of the factors. With print_kkt_checks set, prints the
// squared residual against the assembled K.
void kkt_solve(const double* target, double* result);

// Squared norm of target - K*result, K as assembled by fill_kkt.
double kkt_solve_check(const double* target, const double* result);

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
