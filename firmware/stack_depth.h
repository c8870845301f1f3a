// How deep one step goes into the stack, measured on the running processor:
// the free stack below the caller is painted with a pattern, the step runs,
// and the lowest word it changed gives its depth.
#pragma once

#include <cstddef>

namespace sfqp::firmware {

// The most stack one step may take before the firmware fails: 2 KB, of which
// a step takes 1,600 bytes today.
inline constexpr std::size_t kStepStackLimit = 2048;

// Runs step(inputs, outputs) and returns the bytes of stack it used, the call
// itself included. Measures up to 16 KB.
std::size_t stack_depth_of(void (*step)(const double*, double*), const double* inputs,
                           double* outputs);

}  // namespace sfqp::firmware
