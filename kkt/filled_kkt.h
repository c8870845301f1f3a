// The KKT kernels as the iteration calls them: each reads the matrix's values
// from where fill_kkt takes them (kkt/kkt_values.h), never from kkt_values, and
// gives exactly the results, printed lines included, of kkt_factor, kkt_solve
// and kkt_refine on the matrix fill_kkt would write. The printed self-checks
// read kkt_values: with print_kkt_checks set, fill_kkt must have run.
#pragma once

#include "kkt/instruction_set_namespace.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

// kkt_factor of the matrix fill_kkt would write now.
void kkt_factor_filled();

// kkt_factor_filled at the improved start: z_over_s all 1.0 and
// z_block_diagonal -1.0, as improved_start_point sets them.
void kkt_factor_start();

// kkt_solve and kkt_refine with the factors of kkt_factor_filled (or of
// kkt_factor after fill_kkt), the matrix's sources unchanged since.
void kkt_solve_filled(const double* target, double* result);
void kkt_refine_filled(const double* target, double* var);

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
