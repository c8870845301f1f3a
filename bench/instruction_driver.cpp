// Run under valgrind's callgrind by bench/instructions: solves each problem of
// the benchmark set once, and then calls each KKT kernel once on the system of
// the first iteration of a 16-rotor problem. Collection is on only around
// each measured call, and each call's counts are dumped under its own name
// ("solve <problem>", "kernel <name>"), so every dump holds exactly one call.
// Beside each call it prints its floating-point operation count: for a solve
// counted by the plain reference arithmetic on a counting double (the step
// rule's divisions depend on the data), for a kernel the checked constant.
//
// Usage: sfqp_instruction_driver [problem names...]  (default: all)
#include <valgrind/callgrind.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_problems.h"
#include "bench/flop_counts.h"
#include "bench/reference/counted_double.h"
#include "bench/reference/load_reference.h"
#include "kkt/fill_kkt.h"
#include "kkt/kkt_factor.h"
#include "kkt/kkt_refine.h"
#include "kkt/kkt_solve.h"
#include "solver/records.h"
#include "solver/solve_qp.h"

namespace sfqp::bench {
namespace {

template <class Call>
void measure(const std::string& label, Call call) {
  CALLGRIND_TOGGLE_COLLECT;
  call();
  CALLGRIND_TOGGLE_COLLECT;
  CALLGRIND_DUMP_STATS_AT(label.c_str());
}

bool wanted(const std::vector<std::string>& names, const std::string& name) {
  if (names.empty()) {
    return true;
  }
  for (const auto& n : names) {
    if (n == name) {
      return true;
    }
  }
  return false;
}

int run(const std::vector<std::string>& names) {
  const auto problems = load_bench_problems();
  const BenchProblem* state_problem = nullptr;
  for (const auto& entry : problems) {
    if (entry.name == "rotor16_0") {
      state_problem = &entry;
    }
    if (!wanted(names, entry.name)) {
      continue;
    }
    api::load_records(entry.problem);
    int iterations = 0;
    measure("solve " + entry.name, [&iterations] { iterations = solve_qp(); });
    static ReferenceSolver<CountedDouble> reference;
    load_problem(reference, entry.problem);
    flop_count = {};
    reference.solve_qp();
    std::printf("solve %s iterations %d flops %llu\n", entry.name.c_str(), iterations,
                static_cast<unsigned long long>(flop_count.total()));
  }
  if (state_problem == nullptr) {
    std::fprintf(stderr, "problem rotor16_0 is not in the set\n");
    return 1;
  }

  api::load_records(state_problem->problem);
  solver_settings.iteration_limit = 1;
  solve_qp();
  const std::pair<const char*, std::uint64_t> kernel_flops[] = {
      {"fill_kkt", kFillKktFlops},     {"kkt_factor", kKktFactorFlops},
      {"kkt_solve", kKktSolveFlops},   {"kkt_multiply", kKktMultiplyFlops},
      {"kkt_refine", kKktRefineFlops},
  };
  for (const auto& [name, flops] : kernel_flops) {
    std::printf("kernel %s flops %llu\n", name, static_cast<unsigned long long>(flops));
  }
  measure("kernel fill_kkt", [] { fill_kkt(); });
  measure("kernel kkt_factor", [] { kkt_factor(); });
  measure("kernel kkt_solve", [] { kkt_solve(workspace.kkt_rhs, workspace.corrector_direction); });
  measure("kernel kkt_multiply",
          [] { kkt_multiply(workspace.kkt_residual, workspace.corrector_direction); });
  measure("kernel kkt_refine",
          [] { kkt_refine(workspace.kkt_rhs, workspace.corrector_direction); });
  return 0;
}

}  // namespace
}  // namespace sfqp::bench

int main(int argc, char** argv) {
  std::vector<std::string> names(argv + 1, argv + argc);
  return sfqp::bench::run(names);
}
