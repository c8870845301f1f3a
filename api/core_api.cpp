#include "api/core_api.h"

#include <algorithm>
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

// Progress text: a short write has no one to report to, so it is not checked.
void write_to_standard_output(void* /*context*/, const char* text, std::size_t length) {
  static_cast<void>(std::fwrite(text, 1, length, stdout));
}

// Captured text, the console field of a result.
void append_to_string(void* context, const char* text, std::size_t length) {
  static_cast<std::string*>(context)->append(text, length);
}

// Every solve's console text is kept to kMaxConsoleBytes wherever it goes
// (captured, a caller's sink, standard output), so that a chatty solve can
// neither take all the memory nor flood a console; what comes after is
// dropped, and the text ends with kConsoleCutNote.
class BoundedConsole {
 public:
  explicit BoundedConsole(ConsoleSink target) : target_(target) {}

  static void write(void* context, const char* text, std::size_t length) {
    static_cast<BoundedConsole*>(context)->take(text, length);
  }

  void note_cut() const {
    if (cut_) {
      forward(kConsoleCutNote.data(), kConsoleCutNote.size());
    }
  }

 private:
  void take(const char* text, std::size_t length) {
    const std::size_t room = kMaxConsoleBytes - written_;
    if (length <= room) {
      target_.write(target_.context, text, length);
      written_ += length;
      return;
    }
    cut_ = true;
    forward(text, room);
    written_ = kMaxConsoleBytes;
  }

  // A sink reads its text NUL-terminated: a piece that is cut, or the note (a
  // view), goes out through a terminated copy, a bounded buffer at a time.
  void forward(const char* text, std::size_t length) const {
    char piece[256];
    while (length > 0) {
      const std::size_t size = std::min(length, sizeof piece - 1);
      std::memcpy(piece, text, size);
      piece[size] = '\0';
      target_.write(target_.context, piece, size);
      text += size;
      length -= size;
    }
  }

  ConsoleSink target_;
  std::size_t written_ = 0;
  bool cut_ = false;
};

// Points the core's console where the problem asks, through the bound, for
// the length of a solve.
class ConsoleBinding {
 public:
  ConsoleBinding(const Problem& problem, std::string& captured)
      : saved_(console_sink()), bounded_(target(problem, captured)) {
    set_console_sink({BoundedConsole::write, &bounded_});
  }
  ~ConsoleBinding() {
    set_console_sink(saved_);
    bounded_.note_cut();
  }
  ConsoleBinding(const ConsoleBinding&) = delete;
  ConsoleBinding& operator=(const ConsoleBinding&) = delete;

 private:
  static ConsoleSink target(const Problem& problem, std::string& captured) {
    if (problem.capture_console) {
      return {append_to_string, &captured};
    }
    if (problem.console_sink.write != nullptr) {
      return problem.console_sink;
    }
    return {write_to_standard_output, nullptr};
  }

  ConsoleSink saved_;
  BoundedConsole bounded_;
};

// Converts value when it is a whole number from low to high (within int32).
// The range test comes first: converting a double outside int32 is undefined.
bool to_bounded_int(double value, double low, double high, std::int32_t& out) {
  if (!(value >= low && value <= high) || std::islessgreater(std::trunc(value), value)) {
    return false;
  }
  out = static_cast<std::int32_t>(value);
  return true;
}

std::string format_bound(double value) {
  char text[32];
  // %.17g of a double takes at most 24 bytes: never cut.
  static_cast<void>(std::snprintf(text, sizeof text, "%.17g", value));
  return text;
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
    bool zero_allowed;  // otherwise the value must be above zero
  };
  struct IntField {
    std::string_view name;
    std::int32_t SolverSettings::*field;
    double low;
    double high;
    const char* meaning;  // what the bounds mean, for the error text
  };
  static constexpr DoubleField kDoubles[] = {
      {"residual_tolerance", &SolverSettings::residual_tolerance, true},
      {"gap_tolerance", &SolverSettings::gap_tolerance, true},
      {"initial_slack", &SolverSettings::initial_slack, false},
      {"initial_dual", &SolverSettings::initial_dual, false},
      {"kkt_regularization", &SolverSettings::kkt_regularization, false},
  };
  // iteration_limit keeps the solver's meaning of 0 and below (no iteration);
  // the bounds above keep one problem within a fraction of a second.
  static constexpr IntField kInts[] = {
      {"iteration_limit", &SolverSettings::iteration_limit, -2147483648.0, kMaxIterationLimit,
       " (0 or less: no iteration)"},
      {"refinement_passes", &SolverSettings::refinement_passes, 0.0, kMaxRefinementPasses, ""},
      {"improved_start", &SolverSettings::improved_start, 0.0, 1.0, " (a flag)"},
      {"print_progress", &SolverSettings::print_progress, 0.0, 1.0, " (a flag)"},
      {"print_refinement", &SolverSettings::print_refinement, 0.0, 1.0, " (a flag)"},
      {"print_kkt_checks", &SolverSettings::print_kkt_checks, 0.0, 1.0, " (a flag)"},
  };
  for (const auto& entry : kDoubles) {
    if (entry.name == name) {
      if (!std::isfinite(value) || (entry.zero_allowed ? value < 0.0 : !(value > 0.0))) {
        return std::string(entry.zero_allowed ? "must be a finite number from 0 up"
                                              : "must be a finite number above 0");
      }
      settings.*entry.field = value;
      return std::nullopt;
    }
  }
  for (const auto& entry : kInts) {
    if (entry.name == name) {
      std::int32_t converted = 0;
      if (!to_bounded_int(value, entry.low, entry.high, converted)) {
        if (entry.high < 2.0) {  // a flag
          return "must be 0 or 1" + std::string(entry.meaning);
        }
        return "must be a whole number " +
               (entry.low < -1.0 ? "up to " : "from " + format_bound(entry.low) + " to ") +
               format_bound(entry.high) + entry.meaning;
      }
      settings.*entry.field = converted;
      return std::nullopt;
    }
  }
  std::string known;
  for (const auto& entry : kDoubles) {
    known += std::string(known.empty() ? "" : ", ") + std::string(entry.name);
  }
  for (const auto& entry : kInts) {
    known += ", " + std::string(entry.name);
  }
  return "is not a setting; the settings: " + known;
}

std::optional<std::string> check_weight(double value) {
  if (!std::isfinite(value) || value < 0.0) {
    return std::string("must be a finite number from 0 up");
  }
  return std::nullopt;
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
