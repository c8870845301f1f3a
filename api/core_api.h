// The solver core for C++ code that embeds it outside a host: the runner, the
// benchmarks, the tests, and users who drop the solver into their own program.
//
// The core keeps its state in process-wide static records, so there is one
// solver per process: solve() holds a lock for the whole solve, and concurrent
// callers wait their turn. Every solve starts from freshly zeroed records, so
// nothing (not even a stale measure) carries from one solve to the next.
#pragma once

// Checked before anything else, so that an older compiler says only this,
// not what it makes of std::optional and inline variables.
#if (defined(_MSVC_LANG) && _MSVC_LANG < 201703L) || (!defined(_MSVC_LANG) && __cplusplus < 201703L)
#error "<sfqpsolv/core_api.h> needs C++17 or later (for example -std=c++17, or /std:c++17)"
#else

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "solver/block_problem.h"
#include "solver/console_sink.h"
#include "solver/records.h"

namespace sfqp::api {

// The block's weights and iteration budget (solver/block_problem.h).
using sfqp::kBlockEffortWeight;
using sfqp::kBlockErrorWeight;
using sfqp::kBlockIterationBudget;

struct Problem {
  std::array<double, kCouplingCount> coupling{};  // 4x16, column-major
  std::array<double, kEqualityCount> target{};
  std::array<double, kErrorCount> error_weight = filled<kErrorCount>(kBlockErrorWeight);
  std::array<double, kEffortCount> effort_weight = filled<kEffortCount>(kBlockEffortWeight);
  // Absent: the settings the block solves with (the defaults, progress table off).
  std::optional<SolverSettings> settings;
  // Return what the solve printed in Result::console instead of writing it to
  // console_sink. Either way a solve prints at most kMaxConsoleBytes, then
  // kConsoleCutNote.
  bool capture_console = false;
  // Where the solve's lines go unless captured; unset: standard output.
  ConsoleSink console_sink;

 private:
  template <std::size_t N>
  // cppcheck-suppress unusedPrivateFunction ; the weights' default initialisers call it
  static constexpr std::array<double, N> filled(double value) {
    std::array<double, N> a{};
    a.fill(value);
    return a;
  }
};

struct Result {
  std::int32_t iterations = 0;
  bool converged = false;
  std::array<double, kEffortCount> output1{};  // what the block writes: u, or zeros
  std::array<double, kEffortCount> u{};
  std::array<double, kErrorCount> e{};
  std::array<double, kEqualityCount> y{};
  std::array<double, kInequalityCount> s{};
  std::array<double, kInequalityCount> z{};
  double objv = 0.0;
  // objv is computed only at convergence or when the progress table prints;
  // otherwise it is the zero a fresh solve starts from.
  bool objv_current = false;
  double gap = 0.0;
  double eq_residual_sq = 0.0;
  double ineq_residual_sq = 0.0;
  std::string console;  // only with capture_console
};

// The defaults (set_default_settings): progress table on, diagnostics off.
SolverSettings default_settings();
// What the block solves with: the defaults with the progress table off.
SolverSettings block_settings();

// The most work one problem may ask for through its settings: with both at
// their bounds and every print on, a solve takes well under a second.
inline constexpr double kMaxIterationLimit = 1000;
inline constexpr double kMaxRefinementPasses = 100;
// The most console text one solve prints, captured or not; the rest is
// dropped and the text ends with kConsoleCutNote.
inline constexpr std::size_t kMaxConsoleBytes = std::size_t{1} << 20;  // 1 MiB
inline constexpr std::string_view kConsoleCutNote = "\n[console text cut at 1 MiB]\n";

// Sets the setting called name (a field of SolverSettings) to value, within
// the bounds that make sense: tolerances finite and from 0 up; initial_slack,
// initial_dual and kkt_regularization finite and above 0; iteration_limit a
// whole number up to kMaxIterationLimit (0 or less: no iteration, as the
// solver defines it); refinement_passes a whole number from 0 to
// kMaxRefinementPasses; the flags improved_start and print_* 0 or 1. Returns
// what is wrong, to follow the setting's name ("must be ...", "is not a
// setting; ..."), or nothing on success.
std::optional<std::string> apply_setting(SolverSettings& settings, std::string_view name,
                                         double value);

// What is wrong with a weight (error_weight or effort_weight entry), to follow
// its name, or nothing: a weight is finite and from 0 up.
std::optional<std::string> check_weight(double value);

Result solve(const Problem& problem);

// Writes problem into the solver's records exactly as solve() does before it
// solves (settings, bound views, data and weights), without zeroing the
// records and without the lock: the caller keeps to one solve at a time. For
// code that times solve_qp on its own.
void load_records(const Problem& problem);

}  // namespace sfqp::api

#endif  // C++17 or later
