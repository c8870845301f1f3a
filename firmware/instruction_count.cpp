#include "firmware/instruction_count.h"

namespace sfqp::firmware {

namespace {

// The SysTick registers of every Cortex-M.
volatile std::uint32_t& kControl = *reinterpret_cast<volatile std::uint32_t*>(0xE000E010u);
volatile std::uint32_t& kReload = *reinterpret_cast<volatile std::uint32_t*>(0xE000E014u);
volatile std::uint32_t& kCurrent = *reinterpret_cast<volatile std::uint32_t*>(0xE000E018u);
constexpr std::uint32_t kEnableOnProcessorClock = 0b101;

// Two instructions a turn (subtract, branch), 2 * turns + 1 in all.
[[gnu::noinline]] void known_loop(std::uint32_t turns) {
  asm volatile(
      "1: subs %0, %0, #1\n"
      "   bne 1b\n"
      : "+r"(turns)
      :
      : "cc");
}

std::int64_t per_tick = 1;
std::int64_t empty_ticks = 0;

}  // namespace

std::uint32_t systick_value() {
  return kCurrent;
}

std::int64_t instructions_per_tick() {
  return per_tick;
}

std::int64_t empty_count_ticks() {
  return empty_ticks;
}

void start_instruction_count() {
  kReload = 0xFFFFFFu;
  kCurrent = 0;
  kControl = kEnableOnProcessorClock;
  empty_ticks = 0;
  per_tick = 1;
  const std::int64_t empty = instructions_of([] {});
  // A loop of 2,000,001 instructions; the calls and reads around it are lost
  // in the rounding to whole instructions per tick.
  constexpr std::uint32_t kTurns = 1000000;
  const std::int64_t loop = instructions_of([] { known_loop(kTurns); }) - empty;
  per_tick = (2 * static_cast<std::int64_t>(kTurns) + loop / 2) / loop;
  empty_ticks = empty;
}

}  // namespace sfqp::firmware
