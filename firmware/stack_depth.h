// How deep one step goes into the stack, measured on the running processor:
// the free stack below the caller is painted with a pattern, the step runs,
// and the lowest word it changed gives its depth.
#pragma once

#include <cstddef>

namespace sfqp::firmware {

// What one step may take of a flight computer's stack.
inline constexpr std::size_t kStepStackBudget = 2048;

// Runs step(inputs, outputs) and returns the bytes of stack it used, the call
// itself included. Measures up to 16 KB.
std::size_t stack_depth_of(void (*step)(const double*, double*), const double* inputs,
                           double* outputs);

}  // namespace sfqp::firmware
