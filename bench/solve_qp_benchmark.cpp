// Time per cold solve of solve_qp on the fixed problem set, and per iteration.
// Each case loads its problem once; every solve then starts from the same
// inputs, as the block's output step does (no warm start exists).
#include <benchmark/benchmark.h>

#include "bench/bench_problems.h"
#include "solver/solve_qp.h"

namespace sfqp::bench {
namespace {

void solve_case(benchmark::State& state, const api::Problem& problem) {
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
  for (const auto& entry : sfqp::bench::load_bench_problems()) {
    benchmark::RegisterBenchmark(("solve_qp/" + entry.name).c_str(), sfqp::bench::solve_case,
                                 entry.problem);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
