// The fixed pattern of the KKT matrix, its elimination order and its factor.
//
// Positions are elimination positions: s_0..s_31 at 0..31, z_0..z_31 at 32..63,
// e_0..e_3 at 64..67, u_0..u_15 at 68..83, y_0..y_3 at 84..87. The pattern is
// known when the program is built, so what a sparse code would find by symbolic
// analysis is written here once, as constexpr index maps, and checked below.
#pragma once

#include "kkt/instruction_set_namespace.h"

#include "solver/records.h"

namespace sfqp::kkt {
inline namespace SFQP_INSTRUCTION_SET {

// Elimination positions of the blocks.
inline constexpr int kPosS = 0;
inline constexpr int kPosZ = kPosS + kInequalityCount;  // 32
inline constexpr int kPosE = kPosZ + kInequalityCount;  // 64
inline constexpr int kPosU = kPosE + kErrorCount;       // 68
inline constexpr int kPosY = kPosU + kEffortCount;      // 84

// perm(p): the stacked index of the unknown eliminated at position p.
constexpr int elimination_order(int p) {
  return p < kPosE ? p + kStackS : (p < kPosY ? p - kPosE : p);
}

// clang-format off
// kkt_values: the permuted lower triangle, column by column, diagonal first;
// each entry's value as fill_kkt writes it.
constexpr int kv_s_diag(int k)     { return 2 * k;           } // (s_k, s_k)      z_over_s[k]
constexpr int kv_z_s(int k)        { return 2 * k + 1;       } // (z_k, s_k)      1.0
constexpr int kv_z_diag(int k)     { return 64 + 2 * k;      } // (z_k, z_k)      z_block_diagonal
constexpr int kv_u_z(int k)        { return 65 + 2 * k;      } // (u_(k%16), z_k) -1.0 (k < 16), 1.0
constexpr int kv_e_diag(int i)     { return 128 + 2 * i;     } // (e_i, e_i)      2*error_weight[i]
constexpr int kv_y_e(int i)        { return 129 + 2 * i;     } // (y_i, e_i)      -1.0
constexpr int kv_u_diag(int j)     { return 136 + 5 * j;     } // (u_j, u_j)      2*effort_weight[j]
constexpr int kv_y_u(int i, int j) { return 137 + 5 * j + i; } // (y_i, u_j)      coupling(i, j)

// factor_L: the entries of L below the diagonal, row by row; the fill is
// (y_i, y_c) for c < i.
constexpr int fl_z_s(int k)        { return k;                             } // (z_k, s_k)
constexpr int fl_u_zlow(int j)     { return 32 + 2 * j;                    } // (u_j, z_j)
constexpr int fl_u_zhigh(int j)    { return 33 + 2 * j;                    } // (u_j, z_(16+j))
constexpr int fl_y_row(int i)      { return 64 + 17 * i + i * (i - 1) / 2; } // first of row y_i
constexpr int fl_y_e(int i)        { return fl_y_row(i);                   } // (y_i, e_i)
constexpr int fl_y_u(int i, int j) { return fl_y_row(i) + 1 + j;           } // (y_i, u_j)
constexpr int fl_y_y(int i, int c) { return fl_y_row(i) + 17 + c;          } // (y_i, y_c), fill
// clang-format on

static_assert(kPosY + kEqualityCount == kKktSize);
static_assert(elimination_order(0) == 20 && elimination_order(63) == 83);
static_assert(elimination_order(64) == 0 && elimination_order(83) == 19);
static_assert(elimination_order(84) == 84 && elimination_order(87) == 87);
static_assert(kv_u_z(15) == 95 && kv_u_z(16) == 97 && kv_u_z(31) == 127);
static_assert(kv_y_e(3) == 135 && kv_u_diag(15) == 211);
static_assert(kv_y_u(3, 15) + 1 == kKktStoredCount);
static_assert(fl_y_row(1) == 81 && fl_y_row(2) == 99 && fl_y_row(3) == 118);
static_assert(fl_y_y(3, 2) + 1 == kFactorLCount);
static_assert(fl_u_zhigh(15) + 1 == fl_y_row(0));

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp::kkt
