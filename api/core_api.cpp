#include "api/core_api.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "solver/console_sink.h"
#include "solver/solve_qp.h"

namespace sfqp::api {

namespace {

std::mutex solver_lock;

template <std::size_t N>
void copy_out(std::array<double, N>& to, const double* from) {
  std::memcpy(to.data(), from, N * sizeof(double));
}

void write_to_standard_output(void* /*context*/, const char* text, std::size_t length) {
  std::fwrite(text, 1, length, stdout);
}

void append_to_string(void* context, const char* text, std::size_t length) {
  static_cast<std::string*>(context)->append(text, length);
}

// Points the core's console where the problem asks for the length of a solve.
class ConsoleBinding {
 public:
  ConsoleBinding(const Problem& problem, std::string& captured) : saved_(console_sink()) {
    if (problem.capture_console) {
      set_console_sink({append_to_string, &captured});
    } else if (problem.console_sink.write != nullptr) {
      set_console_sink(problem.console_sink);
    } else {
      set_console_sink({write_to_standard_output, nullptr});
    }
  }
  ~ConsoleBinding() { set_console_sink(saved_); }
  ConsoleBinding(const ConsoleBinding&) = delete;
  ConsoleBinding& operator=(const ConsoleBinding&) = delete;

 private:
  ConsoleSink saved_;
};

std::optional<std::string> to_int32(double value, std::int32_t& out) {
  // The range test comes first: converting a double outside int32 is undefined.
  if (!(value >= -2147483648.0 && value <= 2147483647.0) ||
      std::islessgreater(std::trunc(value), value)) {
    return "must be a whole number within the 32-bit integer range";
  }
  out = static_cast<std::int32_t>(value);
  return std::nullopt;
}

}  // namespace

SolverSettings default_settings() {
  const std::lock_guard<std::mutex> guard(solver_lock);
  const SolverSettings saved = solver_settings;
  set_default_settings();
  const SolverSettings defaults = solver_settings;
  solver_settings = saved;
  return defaults;
}

SolverSettings block_settings() {
  SolverSettings settings = default_settings();
  settings.print_progress = 0;
  return settings;
}

std::optional<std::string> apply_setting(SolverSettings& settings, std::string_view name,
                                         double value) {
  struct DoubleField {
    std::string_view name;
    double SolverSettings::*field;
  };
  struct IntField {
    std::string_view name;
    std::int32_t SolverSettings::*field;
  };
  static constexpr DoubleField kDoubles[] = {
      {"residual_tolerance", &SolverSettings::residual_tolerance},
      {"gap_tolerance", &SolverSettings::gap_tolerance},
      {"initial_slack", &SolverSettings::initial_slack},
      {"initial_dual", &SolverSettings::initial_dual},
      {"kkt_regularization", &SolverSettings::kkt_regularization},
  };
  static constexpr IntField kInts[] = {
      {"iteration_limit", &SolverSettings::iteration_limit},
      {"refinement_passes", &SolverSettings::refinement_passes},
      {"improved_start", &SolverSettings::improved_start},
      {"print_progress", &SolverSettings::print_progress},
      {"print_refinement", &SolverSettings::print_refinement},
      {"print_kkt_checks", &SolverSettings::print_kkt_checks},
  };
  for (const auto& entry : kDoubles) {
    if (entry.name == name) {
      settings.*entry.field = value;
      return std::nullopt;
    }
  }
  for (const auto& entry : kInts) {
    if (entry.name == name) {
      std::int32_t converted = 0;
      if (auto error = to_int32(value, converted)) {
        return "setting \"" + std::string(name) + "\" " + *error;
      }
      settings.*entry.field = converted;
      return std::nullopt;
    }
  }
  return "unknown setting \"" + std::string(name) + "\"";
}

void load_records(const Problem& problem) {
  if (problem.settings) {
    solver_settings = *problem.settings;
  } else {
    set_default_settings();
    solver_settings.print_progress = 0;
  }
  bind_views();
  std::memcpy(problem_data.coupling, problem.coupling.data(), sizeof problem_data.coupling);
  std::memcpy(problem_data.target, problem.target.data(), sizeof problem_data.target);
  std::memcpy(problem_data.error_weight, problem.error_weight.data(),
              sizeof problem_data.error_weight);
  std::memcpy(problem_data.effort_weight, problem.effort_weight.data(),
              sizeof problem_data.effort_weight);
}

Result solve(const Problem& problem) {
  const std::lock_guard<std::mutex> guard(solver_lock);
  std::memset(&problem_data, 0, sizeof problem_data);
  std::memset(&workspace, 0, sizeof workspace);
  std::memset(&solution, 0, sizeof solution);
  load_records(problem);

  Result result;
  {
    const ConsoleBinding console(problem, result.console);
    result.iterations = solve_qp();
  }

  result.converged = workspace.converged != 0;
  copy_out(result.u, solution.u);
  if (result.iterations <= kBlockIterationBudget) {
    result.output1 = result.u;
  }
  copy_out(result.e, &workspace.x[kStackX]);
  copy_out(result.y, workspace.y);
  copy_out(result.s, workspace.s);
  copy_out(result.z, workspace.z);
  result.objv = workspace.objv;
  result.objv_current = result.converged || solver_settings.print_progress != 0;
  result.gap = workspace.gap;
  result.eq_residual_sq = workspace.eq_residual_sq;
  result.ineq_residual_sq = workspace.ineq_residual_sq;
  return result;
}

}  // namespace sfqp::api
