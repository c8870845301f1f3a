#pragma once

#include "kkt/instruction_set_namespace.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

// Writes all 216 stored values of the KKT matrix, in elimination order, from
// problem_data, workspace.z_over_s and workspace.z_block_diagonal.
void fill_kkt();

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
