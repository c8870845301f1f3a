// The KKT kernels on their own, on the system of the first iteration of a
// 16-rotor problem: the matrix, its factors and the corrector right-hand side
// that solve_qp leaves after one iteration. Each kernel rewrites its outputs
// from the same inputs on every call, so every call does the same work.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "bench/bench_problems.h"
#include "kkt/fill_kkt.h"
#include "kkt/kkt_factor.h"
#include "kkt/kkt_refine.h"
#include "kkt/kkt_solve.h"
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

void BM_fill_kkt(benchmark::State& state) {
  prepare_first_iteration();
  for (auto _ : state) {
    fill_kkt();
    benchmark::ClobberMemory();
  }
}

void BM_kkt_factor(benchmark::State& state) {
  prepare_first_iteration();
  for (auto _ : state) {
    kkt_factor();
    benchmark::ClobberMemory();
  }
}

void BM_kkt_solve(benchmark::State& state) {
  prepare_first_iteration();
  for (auto _ : state) {
    kkt_solve(workspace.kkt_rhs, workspace.corrector_direction);
    benchmark::ClobberMemory();
  }
}

void BM_kkt_multiply(benchmark::State& state) {
  prepare_first_iteration();
  for (auto _ : state) {
    kkt_multiply(workspace.kkt_residual, workspace.corrector_direction);
    benchmark::ClobberMemory();
  }
}

// One pass: a product, a solve and two sweeps; var keeps improving, the work
// per call stays the same.
void BM_kkt_refine(benchmark::State& state) {
  prepare_first_iteration();
  for (auto _ : state) {
    kkt_refine(workspace.kkt_rhs, workspace.corrector_direction);
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_fill_kkt);
BENCHMARK(BM_kkt_factor);
BENCHMARK(BM_kkt_solve);
BENCHMARK(BM_kkt_multiply);
BENCHMARK(BM_kkt_refine);

}  // namespace
}  // namespace sfqp::bench

BENCHMARK_MAIN();
