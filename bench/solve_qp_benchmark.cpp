// Time per cold solve of solve_qp on the fixed problem set, and per iteration,
// in each build of the arithmetic this processor runs (solve_qp/<set>/<case>).
// Each case loads its problem once; every solve then starts from the same
// inputs, as the block's output step does (no warm start exists).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

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

// The whole set, each solve loading its problem first as the block's output
// step loads its inputs: in runs of run_length solves of one problem. In turn
// (run_length 1) no solve follows one of the same problem, so neither the
// branch predictor nor the caches can have learned it; set against runs, it
// shows what the cases' repetition flatters.
void solve_set(benchmark::State& state, InstructionSet set,
               const std::vector<BenchProblem>* problems, int run_length) {
  use_instruction_set(set);
  std::size_t next = 0;
  int run = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(solve_once((*problems)[next].problem));
    benchmark::ClobberMemory();
    if (++run == run_length) {
      run = 0;
      next = next + 1 == problems->size() ? 0 : next + 1;
    }
  }
}

// Nine of every ten solves in runs repeat the one before; a pass over the set
// takes 370 solves, short beside a timed run's 100,000, so that every problem
// weighs about equally.
constexpr int kSetRunLength = 10;

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
    const std::string set_name = "solve_qp/" + std::string(sfqp::instruction_set_name(set));
    benchmark::RegisterBenchmark((set_name + "/whole_set_in_turn").c_str(), sfqp::bench::solve_set,
                                 set, &problems, 1);
    benchmark::RegisterBenchmark((set_name + "/whole_set_in_runs").c_str(), sfqp::bench::solve_set,
                                 set, &problems, sfqp::bench::kSetRunLength);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
