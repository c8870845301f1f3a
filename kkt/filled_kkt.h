// The KKT kernels as the iteration calls them, right after fill_kkt: each
// reads the matrix's values from where fill_kkt took them (kkt/kkt_values.h)
// rather than from kkt_values, and gives exactly the results, printed lines
// included, of kkt_factor, kkt_solve and kkt_refine on the filled matrix.
#pragma once

#include "kkt/instruction_set_namespace.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

// kkt_factor of the matrix fill_kkt last wrote.
void kkt_factor_filled();

// kkt_solve and kkt_refine with the factors of kkt_factor_filled (or of
// kkt_factor after fill_kkt), the matrix unchanged since.
void kkt_solve_filled(const double* target, double* result);
void kkt_refine_filled(const double* target, double* var);

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
