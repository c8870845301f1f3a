// What the fuzz targets share: turning libFuzzer's bytes into block inputs and
// stopping on a broken property. A broken property prints what it found and
// aborts, which libFuzzer reports like a crash and saves the input.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace sfqp::fuzz {

[[noreturn]] void fail(const char* what);
void require(bool holds, const char* what);

// The 68 doubles of one output step: input 1 (64) then inputs 2 to 5.
inline constexpr std::size_t kStepInputCount = 68;
using StepInputs = std::array<double, kStepInputCount>;
inline constexpr std::size_t kStepInputBytes = kStepInputCount * sizeof(double);

// Step inputs from raw bit patterns: the bytes of the slot-th 544-byte slice,
// little-endian doubles, with missing bytes taken as zeros.
StepInputs step_inputs_from(std::span<const std::uint8_t> bytes, std::size_t slot);

}  // namespace sfqp::fuzz
