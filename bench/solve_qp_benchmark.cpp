// Time per cold solve of solve_qp on the fixed problem set, and per iteration,
// in each build of the arithmetic this processor runs (solve_qp/<set>/<case>).
// Each case loads its problem once; every solve then starts from the same
// inputs, as the block's output step does (no warm start exists).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_problems.h"
#include "solver/instruction_set.h"
#include "solver/solve_qp.h"

namespace sfqp::bench {
namespace {

void solve_case(benchmark::State& state, InstructionSet set, const api::Problem& problem) {
  use_instruction_set(set);
  const int iterations = solve_once(problem);
  for (auto _ : state) {
    benchmark::DoNotOptimize(solve_qp());
    benchmark::ClobberMemory();
  }
  state.counters["solver_iterations"] = iterations;
  // Inverted rate: seconds per interior-point iteration.
  state.counters["per_iteration"] = benchmark::Counter(
      iterations, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace
}  // namespace sfqp::bench

int main(int argc, char** argv) {
  const auto problems = sfqp::bench::load_bench_problems();
  for (const sfqp::InstructionSet set : sfqp::kInstructionSets) {
    if (!sfqp::instruction_set_supported(set)) {
      continue;
    }
    for (const auto& entry : problems) {
      const std::string name =
          "solve_qp/" + std::string(sfqp::instruction_set_name(set)) + "/" + entry.name;
      benchmark::RegisterBenchmark(name.c_str(), sfqp::bench::solve_case, set, entry.problem);
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
