#include "solver/solve_qp.h"

#include "solver/instruction_set.h"

namespace sfqp {

std::int32_t solve_qp() {
  return active_arithmetic().solve_qp();
}

}  // namespace sfqp
