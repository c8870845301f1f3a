#include "firmware/instruction_count.h"

namespace sfqp::firmware {

namespace {

// SysTick's control, reload and current-value registers.
volatile std::uint32_t* systick() {
  return reinterpret_cast<volatile std::uint32_t*>(0xE000E010U);
}
constexpr std::uint32_t kEnableOnProcessorClock = 5;
constexpr std::uint32_t kLargestReload = 0xFFFFFFU;

}  // namespace

// SysTick counts down from its reload value, 24 bits: 671 ms of virtual time,
// far longer than a solve. It starts once the first tick has loaded the
// count, so that the difference is a whole number of ticks of the call.
std::int64_t instructions_of(std::int32_t (*solve)(), std::int32_t& result) {
  volatile std::uint32_t* const timer = systick();
  timer[1] = kLargestReload;
  timer[2] = 0;
  timer[0] = kEnableOnProcessorClock;
  while (timer[2] == 0) {
  }
  const std::uint32_t before = timer[2];
  result = solve();
  const std::uint32_t after = timer[2];
  return static_cast<std::int64_t>(before - after) * kInstructionsPerTick;
}

}  // namespace sfqp::firmware
