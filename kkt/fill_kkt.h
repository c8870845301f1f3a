#pragma once

namespace sfqp {

// Writes all 216 stored values of the KKT matrix, in elimination order, from
// problem_data, workspace.z_over_s and workspace.z_block_diagonal.
void fill_kkt();

}  // namespace sfqp
