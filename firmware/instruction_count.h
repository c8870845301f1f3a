// Instructions the processor runs, counted on the emulated Cortex-M7: QEMU
// with -icount shift=0 lets one nanosecond of virtual time pass per
// instruction, and the SysTick timer runs on that time, so the ticks between
// two reads count instructions exactly up to one tick. The instructions per
// tick are measured once, on a loop of a known length.
#pragma once

#include <cstdint>

namespace sfqp::firmware {

// The most instructions a 25-iteration solve of a golden problem may take
// before the golden firmware fails: 2% above the 495,280 measured.
inline constexpr std::int64_t kWorstSolveInstructionLimit = 505'185;

// Starts the timer and measures the instructions per tick and the cost of the
// reads themselves. Call once before counting.
void start_instruction_count();

// The SysTick's current value: it counts down, 24 bits wide.
std::uint32_t systick_value();

// Instructions per tick, as start_instruction_count measured them.
std::int64_t instructions_per_tick();

// Ticks read around nothing, taken off every count.
std::int64_t empty_count_ticks();

// The instructions of repeats calls of call, divided by repeats (the call
// itself and the loop around it included, the reads of the timer not).
template <class Call>
std::int64_t instructions_of(Call call, int repeats = 1) {
  const std::uint32_t before = systick_value();
  for (int k = 0; k < repeats; ++k) {
    call();
  }
  const std::uint32_t after = systick_value();
  const std::int64_t ticks = static_cast<std::int64_t>((before - after) & 0xFFFFFFu);
  return (ticks - empty_count_ticks()) * instructions_per_tick() / repeats;
}

}  // namespace sfqp::firmware
