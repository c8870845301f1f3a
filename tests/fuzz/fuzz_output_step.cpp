// Output steps with arbitrary bit patterns on all 68 inputs (NaN, infinities,
// subnormals, signed zeros, 1e300 and everything between), through the engine
// into the module, with guarded port buffers.
//
// The input holds one or two steps' worth of doubles (544 bytes each; missing
// bytes are zeros). Block 1 steps A, block 2 of the same model steps B, then
// block 1 steps A again. Every step must return without an error status,
// write output 1 as 16 zeros or 16 finite commands within the box, and touch
// nothing else: not output 2, not an input, not a guard word. Output 1 must be
// bit-identical to a fresh solve of the same inputs through the core API, so
// the second step of A gives the same bits as the first.
#include <cstdint>
#include <span>

#include "api/core_api.h"
#include "tests/fuzz/block_fixture.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/hostile/block_checks.h"
#include "tests/hostile/guarded_ports.h"

namespace {

using sfqp::fuzz::require;
using sfqp::fuzz::StepInputs;

struct GuardedBlock {
  sfqp::host::Block* block = nullptr;
  sfqp::test::GuardedPorts ports;
};

struct Fixture {
  sfqp::host::Model model;
  GuardedBlock first;
  GuardedBlock second;

  Fixture() {
    sfqp::fuzz::module();
    for (GuardedBlock* guarded : {&first, &second}) {
      guarded->block = &model.add_block(sfqp::host::default_module_path());
      require(guarded->ports.attach(guarded->block->record()),
              "the engine's record declares the block's ports");
    }
  }
};

Fixture& fixture() {
  static Fixture instance;
  return instance;
}

std::array<double, 16> reference_output1(const StepInputs& inputs) {
  sfqp::api::Problem problem;
  for (std::size_t k = 0; k < problem.coupling.size(); ++k) {
    problem.coupling[k] = inputs[k];
  }
  for (std::size_t i = 0; i < problem.target.size(); ++i) {
    problem.target[i] = inputs[problem.coupling.size() + i];
  }
  return sfqp::api::solve(problem).output1;
}

std::array<double, 16> step(GuardedBlock& guarded, const StepInputs& inputs) {
  std::size_t next = 0;
  for (int port = 0; port < 5; ++port) {
    for (double& value : guarded.ports.input(port)) {
      value = inputs[next++];
    }
  }
  guarded.ports.arm();
  require(guarded.block->output_step(), "an output step sets no error status");
  if (const auto fault = guarded.ports.fault()) {
    sfqp::fuzz::fail(fault->c_str());
  }
  const std::span<const double> output1 = guarded.ports.output(0);
  if (const auto fault = sfqp::test::output1_fault(output1)) {
    sfqp::fuzz::fail(fault->c_str());
  }
  std::array<double, 16> copy{};
  std::copy(output1.begin(), output1.end(), copy.begin());
  require(sfqp::test::identical_bits(copy, reference_output1(inputs)),
          "output 1 is bit-identical to a fresh solve of the same inputs");
  return copy;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const StepInputs a = sfqp::fuzz::step_inputs_from(bytes, 0);
  const StepInputs b = sfqp::fuzz::step_inputs_from(bytes, 1);
  Fixture& f = fixture();

  const std::array<double, 16> first = step(f.first, a);
  step(f.second, b);
  require(sfqp::test::identical_bits(first, step(f.first, a)),
          "the same inputs give the same output 1 bits at a later step");
  return 0;
}
