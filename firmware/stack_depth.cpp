#include "firmware/stack_depth.h"

#include <cstdint>

namespace sfqp::firmware {

namespace {

constexpr std::uint32_t kPaint = 0xDEADBEEFU;
constexpr std::size_t kPaintedWords = 16 * 1024 / sizeof(std::uint32_t);

}  // namespace

// Nothing else runs on the processor (no interrupts), so the stack below this
// frame is free. The painting writes through a volatile pointer so that the
// compiler cannot make it a call to memset, whose own frame would lie in the
// painted area.
[[gnu::noinline]] std::size_t stack_depth_of(void (*step)(const double*, double*),
                                             const double* inputs, double* outputs) {
  std::uintptr_t stack_pointer = 0;
  __asm__ volatile("mov %0, sp" : "=r"(stack_pointer));
  volatile std::uint32_t* const lowest =
      reinterpret_cast<volatile std::uint32_t*>(stack_pointer) - kPaintedWords;
  for (std::size_t k = 0; k < kPaintedWords; ++k) {
    lowest[k] = kPaint;
  }
  step(inputs, outputs);
  std::size_t untouched = 0;
  while (untouched < kPaintedWords && lowest[untouched] == kPaint) {
    ++untouched;
  }
  return (kPaintedWords - untouched) * sizeof(std::uint32_t);
}

}  // namespace sfqp::firmware
