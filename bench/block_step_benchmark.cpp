// The block's output step as the host drives it, on the built module loaded
// by file: one output method call through mexFunction (code 104, the inputs
// already in the port buffers), and the whole engine path of one simulation
// step (writing the five input signals, the model's step with its error-status
// check, reading output 1). Compare with bench_solve_qp for what the block and
// the host add to a solve.
#include <benchmark/benchmark.h>

#include <span>
#include <stdexcept>

#include "bench/bench_problems.h"
#include "host/engine/engine.h"

namespace sfqp::bench {
namespace {

void set_inputs(host::Block& block, const api::Problem& problem) {
  block.set_input(0, problem.coupling);
  for (int i = 0; i < kEqualityCount; ++i) {
    block.set_input(1 + i,
                    std::span<const double>(&problem.target[static_cast<std::size_t>(i)], 1));
  }
}

void output_method(benchmark::State& state, const api::Problem& problem) {
  host::Model model;
  host::Block& block = model.add_block(host::default_module_path());
  set_inputs(block, problem);
  for (auto _ : state) {
    if (!block.output_step()) {
      state.SkipWithError("the block set an error status");
      break;
    }
    benchmark::DoNotOptimize(block.output(0).data());
    benchmark::ClobberMemory();
  }
}

void engine_step(benchmark::State& state, const api::Problem& problem) {
  host::Model model;
  host::Block& block = model.add_block(host::default_module_path());
  double sum = 0.0;
  for (auto _ : state) {
    set_inputs(block, problem);
    model.step();
    sum += block.output(0)[0];
  }
  benchmark::DoNotOptimize(sum);
}

}  // namespace
}  // namespace sfqp::bench

int main(int argc, char** argv) {
  // A few cases of each kind: the worked cases, a 4-iteration 16-rotor
  // problem, and one that runs to the iteration limit (output zeros).
  const char* const names[] = {"zero", "diag_half", "rotor16_0", "gaussian_0", "limit_0"};
  const auto problems = sfqp::bench::load_bench_problems();
  for (const char* name : names) {
    for (const auto& entry : problems) {
      if (entry.name == name) {
        benchmark::RegisterBenchmark(("block_output_method/" + entry.name).c_str(),
                                     sfqp::bench::output_method, entry.problem);
        benchmark::RegisterBenchmark(("engine_step/" + entry.name).c_str(),
                                     sfqp::bench::engine_step, entry.problem);
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
