// The block's inputs at one simulation step, as the host delivers them: input 1
// (the 4x16 effectiveness matrix, column-major) and inputs 2 to 5 (the four
// demanded virtual controls).
#pragma once

#include <array>
#include <vector>

#include "solver/records.h"

namespace sfqp::simulate {

struct StepInput {
  std::array<double, kCouplingCount> coupling{};  // row r, column c at r + 4c
  std::array<double, kEqualityCount> target{};
};

using StepInputs = std::vector<StepInput>;

}  // namespace sfqp::simulate
