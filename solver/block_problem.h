// The block's QP as it poses it at every step, and its ports: what the module,
// the C++ API and any host-free embedding of the core share, with no host.
#pragma once

#include <cstdint>

// Named from this folder: installed, these headers sit together under
// include/sfqpsolv/solver, and a consumer has only include/ on its path.
#include "records.h"

namespace sfqp {

// The weights the block writes before every solve.
inline constexpr double kBlockErrorWeight = 40000.0;
inline constexpr double kBlockEffortWeight = 1.0;

// A solve that reports more iterations than this leaves output 1 zeros instead
// of u; one less than the iteration limit's default, and independent of it.
inline constexpr std::int32_t kBlockIterationBudget = 24;

// Input 1 is the coupling matrix, inputs 2 to 5 one target entry each; output 1
// is u laid out as a 4x4 matrix, output 2 a scalar the block never writes.
inline constexpr int kBlockInputPorts = 1 + kEqualityCount;
inline constexpr int kBlockOutputPorts = 2;
inline constexpr int kCouplingPortRows = kEqualityCount;
inline constexpr int kCouplingPortColumns = kEffortCount;
inline constexpr int kCommandPortRows = 4;
inline constexpr int kCommandPortColumns = 4;
static_assert(kCommandPortRows * kCommandPortColumns == kEffortCount);

}  // namespace sfqp
