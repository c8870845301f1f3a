// A golden problem put into the records as a fresh solve takes it.
#pragma once

#include "firmware/golden_cases.h"

namespace sfqp::firmware {

// Zeroed records, then the problem's settings (the block's when it has none),
// data and weights: solve_qp() then solves it as given.
void load_golden(const GoldenCase& golden);

// The golden problem of that name, or nullptr.
const GoldenCase* find_golden(const char* name);

}  // namespace sfqp::firmware
