// Output steps with arbitrary bit patterns on all 68 inputs (NaN, infinities,
// subnormals, signed zeros, 1e300 and everything between).
//
// The input holds one or two steps' worth of doubles (544 bytes each; missing
// bytes are zeros). Step A is solved, then step B, then step A again: output 1
// of every step must be 16 zeros or 16 finite commands within the box, and A
// must give the same bits both times, whatever B left in the solver's records.
#include <cstdint>
#include <span>

#include "api/core_api.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/hostile/block_checks.h"

namespace {

using sfqp::fuzz::StepInputs;

sfqp::api::Result solve(const StepInputs& inputs) {
  sfqp::api::Problem problem;
  for (std::size_t k = 0; k < problem.coupling.size(); ++k) {
    problem.coupling[k] = inputs[k];
  }
  for (std::size_t i = 0; i < problem.target.size(); ++i) {
    problem.target[i] = inputs[problem.coupling.size() + i];
  }
  return sfqp::api::solve(problem);
}

void check_step(const sfqp::api::Result& result) {
  sfqp::fuzz::require(result.iterations >= 1 && result.iterations <= 25,
                      "a solve with the block's settings runs 1 to 25 iterations");
  if (const auto fault = sfqp::test::output1_fault(result.output1)) {
    sfqp::fuzz::fail(fault->c_str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const StepInputs a = sfqp::fuzz::step_inputs_from(bytes, 0);
  const StepInputs b = sfqp::fuzz::step_inputs_from(bytes, 1);

  const sfqp::api::Result first = solve(a);
  check_step(first);
  check_step(solve(b));
  const sfqp::api::Result again = solve(a);
  sfqp::fuzz::require(sfqp::test::identical_bits(first.output1, again.output1),
                      "the same inputs give the same output 1 bits at a later step");
  return 0;
}
