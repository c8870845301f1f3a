#include "solver/solve_qp.h"

#include "solver/instruction_set.h"
#include "solver/interior_point.h"

namespace sfqp {

std::int32_t solve_qp() {
#if defined(__x86_64__)
  return active_arithmetic().solve_qp();
#else
  // The portable build is the only one: called directly, so that a bare-metal
  // link keeps only what a solve runs, not every kernel the table lists
  // (16 KB of a Cortex-M7's flash).
  return interior_point_solve();
#endif
}

}  // namespace sfqp
