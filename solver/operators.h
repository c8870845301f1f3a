// The problem's structured operators, fixed vectors and measures. A, G and P
// are never stored: each operator touches only its matrix's structural nonzeros,
// reading the coupling straight from problem_data. Outputs and inputs never
// overlap.
#pragma once

#include "kkt/instruction_set_namespace.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

void neg_A_times(double* out4, const double* in20);    // out = -A*in
void neg_At_times(double* out20, const double* in4);   // out = -A'*in
void neg_G_times(double* out32, const double* in20);   // out = -G*in
void neg_Gt_times(double* out20, const double* in32);  // out = -G'*in
void P_times(double* out20, const double* in20);       // out = P*in

void fill_q();
void fill_h();
void fill_b();

// Measures of the current iterate; kkt_residual is their scratch vector.
double duality_gap();      // sum of s[i]*z[i]
double objective_value();  // 0.5*x'Px + q'x
double eq_residual();      // |Ax - b|^2
double ineq_residual();    // |Gx + s - h|^2

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
