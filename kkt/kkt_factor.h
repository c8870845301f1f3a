#pragma once

#include "kkt/instruction_set_namespace.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

// Factors the stored KKT matrix as L*D*L' in elimination order, with each pivot
// regularised by kkt_regularization with the sign fixed by its block. Never
// fails. With print_kkt_checks set, prints the squared Frobenius residual.
void kkt_factor();

// Squared Frobenius norm of K - L*D*L' over the 216 stored positions of K.
double kkt_factor_check();

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
