// The problem's structured operators, fixed vectors and measures. A, G and P
// are never stored: each operator touches only its matrix's structural nonzeros,
// reading the coupling straight from problem_data. Outputs and inputs never
// overlap.
#pragma once

#include "kkt/instruction_set_namespace.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

void P_times(double* out20, const double* in20);  // out = P*in

void fill_q();
void fill_h();
void fill_b();

// Measures of the current iterate; kkt_residual is their scratch vector.
double duality_gap();      // sum of s[i]*z[i]
double objective_value();  // 0.5*x'Px + q'x

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
