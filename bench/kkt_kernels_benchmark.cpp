// The KKT kernels on their own, in each build of the arithmetic this
// processor runs (<kernel>/<set>), on the system of the first iteration of a
// 16-rotor problem: the matrix, its factors and the corrector right-hand side
// that solve_qp leaves after one iteration. Each kernel rewrites its outputs
// from the same inputs on every call, so every call does the same work.
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

#include "bench/bench_problems.h"
#include "solver/instruction_set.h"
#include "solver/records.h"
#include "solver/solve_qp.h"

namespace sfqp::bench {
namespace {

constexpr const char* kStateProblem = "rotor16_0";

void prepare_first_iteration() {
  for (const auto& entry : load_bench_problems()) {
    if (entry.name == kStateProblem) {
      api::load_records(entry.problem);
      solver_settings.iteration_limit = 1;
      solve_qp();
      return;
    }
  }
  throw std::runtime_error(std::string("problem ") + kStateProblem + " is not in the set");
}

template <class Call>
void run_kernel(benchmark::State& state, Call call) {
  prepare_first_iteration();
  for (auto _ : state) {
    call();
    benchmark::ClobberMemory();
  }
}

void register_kernels(const Arithmetic& build) {
  const std::string set(instruction_set_name(build.instruction_set));
  auto add = [&set](const char* kernel, auto call) {
    benchmark::RegisterBenchmark((std::string(kernel) + "/" + set).c_str(),
                                 [call](benchmark::State& state) { run_kernel(state, call); });
  };
  add("fill_kkt", [&build] { build.fill_kkt(); });
  add("kkt_factor", [&build] { build.kkt_factor(); });
  add("kkt_solve", [&build] { build.kkt_solve(workspace.kkt_rhs, workspace.corrector_direction); });
  add("kkt_multiply",
      [&build] { build.kkt_multiply(workspace.kkt_residual, workspace.corrector_direction); });
  // One pass: a product, a solve and two sweeps; var keeps improving, the work
  // per call stays the same.
  add("kkt_refine",
      [&build] { build.kkt_refine(workspace.kkt_rhs, workspace.corrector_direction); });
  // The forms the iteration runs, on the matrix fill_kkt wrote.
  add("kkt_factor_filled", [&build] { build.kkt_factor_filled(); });
  add("kkt_solve_filled",
      [&build] { build.kkt_solve_filled(workspace.kkt_rhs, workspace.corrector_direction); });
  add("kkt_refine_filled",
      [&build] { build.kkt_refine_filled(workspace.kkt_rhs, workspace.corrector_direction); });
}

}  // namespace
}  // namespace sfqp::bench

int main(int argc, char** argv) {
  for (const sfqp::InstructionSet set : sfqp::kInstructionSets) {
    if (sfqp::instruction_set_supported(set)) {
      sfqp::bench::register_kernels(sfqp::arithmetic(set));
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
