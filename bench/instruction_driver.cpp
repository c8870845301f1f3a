// Run under valgrind's callgrind by bench/instructions: solves each problem of
// the benchmark set once in each build of the arithmetic the processor runs,
// and then calls each build's KKT kernels once on the system of the first
// iteration of a 16-rotor problem. Collection is on only around
// each measured call, and each call's counts are dumped under its own name
// ("solve <set> <problem>", "kernel <set> <name>"), so every dump holds exactly one call.
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
#include "solver/instruction_set.h"
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

std::string set_name(const Arithmetic& build) {
  return std::string(instruction_set_name(build.instruction_set));
}

// "<what> <set> <name>", the label of one dump.
std::string label(const char* what, const Arithmetic& build, const std::string& name) {
  std::string text(what);
  text.append(" ").append(set_name(build)).append(" ").append(name);
  return text;
}

int run(const std::vector<std::string>& names) {
  std::vector<const Arithmetic*> builds;
  for (const InstructionSet set : kInstructionSets) {
    if (instruction_set_supported(set)) {
      builds.push_back(&arithmetic(set));
      std::printf("build %s\n", set_name(arithmetic(set)).c_str());
    }
  }
  const auto problems = load_bench_problems();
  const BenchProblem* state_problem = nullptr;
  for (const auto& entry : problems) {
    if (entry.name == "rotor16_0") {
      state_problem = &entry;
    }
    if (!wanted(names, entry.name)) {
      continue;
    }
    int iterations = 0;
    for (const Arithmetic* build : builds) {
      api::load_records(entry.problem);
      measure(label("solve", *build, entry.name),
              [build, &iterations] { iterations = build->solve_qp(); });
    }
    static ReferenceSolver<CountedDouble> reference;
    load_problem(reference, entry.problem);
    flop_count = {};
    reference.solve_qp();
    std::printf("solve %s iterations %d flops %llu\n", entry.name.c_str(), iterations,
                static_cast<unsigned long long>(flop_count.total()));
    // The divisions apart: on a processor whose divider is not pipelined they
    // set the floor of a solve's time.
    std::printf("solve %s divisions %llu\n", entry.name.c_str(),
                static_cast<unsigned long long>(flop_count.divisions));
  }
  if (state_problem == nullptr) {
    std::fprintf(stderr, "problem rotor16_0 is not in the set\n");
    return 1;
  }

  api::load_records(state_problem->problem);
  solver_settings.iteration_limit = 1;
  solve_qp();
  const std::pair<const char*, std::uint64_t> kernel_flops[] = {
      {"fill_kkt", kFillKktFlops},
      {"kkt_factor", kKktFactorFlops},
      {"kkt_solve", kKktSolveFlops},
      {"kkt_multiply", kKktMultiplyFlops},
      {"kkt_refine", kKktRefineFlops},
      // The iteration's forms, counted as the arithmetic they reproduce: they
      // leave out products with the matrix's entries +1.0 and -1.0, whose bits
      // they know.
      {"kkt_factor_filled", kKktFactorFlops},
      {"kkt_solve_filled", kKktSolveFlops},
      {"kkt_refine_filled", kKktRefineFlops},
  };
  for (const auto& [name, flops] : kernel_flops) {
    std::printf("kernel %s flops %llu\n", name, static_cast<unsigned long long>(flops));
  }
  for (const Arithmetic* build : builds) {
    measure(label("kernel", *build, "fill_kkt"), [build] { build->fill_kkt(); });
    measure(label("kernel", *build, "kkt_factor"), [build] { build->kkt_factor(); });
    measure(label("kernel", *build, "kkt_solve"),
            [build] { build->kkt_solve(workspace.kkt_rhs, workspace.corrector_direction); });
    measure(label("kernel", *build, "kkt_multiply"), [build] {
      build->kkt_multiply(workspace.kkt_residual, workspace.corrector_direction);
    });
    measure(label("kernel", *build, "kkt_refine"),
            [build] { build->kkt_refine(workspace.kkt_rhs, workspace.corrector_direction); });
    measure(label("kernel", *build, "kkt_factor_filled"), [build] { build->kkt_factor_filled(); });
    measure(label("kernel", *build, "kkt_solve_filled"),
            [build] { build->kkt_solve_filled(workspace.kkt_rhs, workspace.corrector_direction); });
    measure(label("kernel", *build, "kkt_refine_filled"), [build] {
      build->kkt_refine_filled(workspace.kkt_rhs, workspace.corrector_direction);
    });
  }
  return 0;
}

}  // namespace
}  // namespace sfqp::bench

int main(int argc, char** argv) {
  std::vector<std::string> names(argv + 1, argv + argc);
  return sfqp::bench::run(names);
}
