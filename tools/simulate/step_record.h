// What the simulation knows about one step: what the block wrote through its
// port, and what the core API, solving the same inputs, says about the solve.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "solver/records.h"

namespace sfqp::simulate {

struct StepRecord {
  std::size_t step = 0;
  double time = 0.0;                           // s
  std::array<double, kEffortCount> output1{};  // the block's output port 1

  // From the core API on the same inputs.
  std::int32_t iterations = 0;
  bool converged = false;
  bool fell_back = false;  // iterations above the block's budget: output 1 is zeros
  double objv = 0.0;
  bool objv_current = false;
  double gap = 0.0;
  double eq_residual_sq = 0.0;
  double ineq_residual_sq = 0.0;
  bool bit_identical = false;  // output 1 equals the core's output1 to the bit

  std::array<double, kEqualityCount> target{};    // demanded: inputs 2 to 5
  std::array<double, kEqualityCount> achieved{};  // coupling * output 1
};

}  // namespace sfqp::simulate
