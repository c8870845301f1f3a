// How many instructions a solve runs on the Cortex-M7, counted under the
// emulator the firmware's tests run on: QEMU with -icount shift=0 advances its
// virtual time by one nanosecond per instruction, and SysTick, clocked from
// the MPS2 board's 25 MHz processor clock, ticks once every 40 ns, so once
// every 40 instructions. A count is exact to within 40 instructions there; it
// is not a cycle count (QEMU does not model the M7's pipeline).
#pragma once

#include <cstdint>

namespace sfqp::firmware {

inline constexpr std::int64_t kInstructionsPerTick = 40;

// The most instructions a 25-iteration solve of a golden problem may take
// before the firmware fails: 2% above the 1,045,160 measured.
inline constexpr std::int64_t kWorstSolveInstructionLimit = 1'066'063;

// Runs solve() and returns the instructions it took (a multiple of 40); the
// solve's own result goes to result.
std::int64_t instructions_of(std::int32_t (*solve)(), std::int32_t& result);

}  // namespace sfqp::firmware
