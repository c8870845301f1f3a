#include "tools/simulate/run_summary.h"

#include <cmath>
#include <cstdio>

#include "solver/instruction_set.h"
#include "tools/io/problem_json.h"

namespace sfqp::simulate {

namespace {

std::string printed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string microseconds(double seconds) {
  return printed("%.1f us", seconds * 1e6);
}

// The iteration count at rank (1-based) among all steps.
std::int32_t iterations_at_rank(const RunSummary& s, std::size_t rank) {
  std::size_t seen = 0;
  for (const auto& [iterations, count] : s.iteration_counts) {
    seen += count;
    if (seen >= rank) {
      return iterations;
    }
  }
  return 0;
}

// A NaN error (from NaN inputs) is worse than any number; comparisons alone
// would never report it.
bool exceeds(double error, double largest) {
  return std::isnan(error) ? !std::isnan(largest) : error > largest;
}

}  // namespace

SummaryBuilder::SummaryBuilder(std::string source, double period) {
  summary_.source = std::move(source);
  summary_.period = period;
  summary_.instruction_set = instruction_set_name(active_instruction_set());
}

void SummaryBuilder::add(const StepRecord& record, double host_seconds, double core_seconds) {
  RunSummary& s = summary_;
  ++s.steps;
  if (record.fell_back) {
    ++s.fallbacks;
    s.first_fallback = s.first_fallback.value_or(record.step);
  }
  ++s.iteration_counts[record.iterations];
  for (int i = 0; i < kEqualityCount; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const double error = std::fabs(record.achieved[k] - record.target[k]);
    if (exceeds(error, s.largest_error.value)) {
      s.largest_error = {error, record.step, i};
    }
    if (!record.fell_back && exceeds(error, s.largest_error_solved.value)) {
      s.largest_error_solved = {error, record.step, i};
    }
    if (exceeds(error, s.largest_error_per_control[k])) {
      s.largest_error_per_control[k] = error;
    }
  }
  if (record.bit_identical) {
    ++s.bit_identical_steps;
  } else {
    s.first_difference = s.first_difference.value_or(record.step);
  }
  host_seconds_.add(host_seconds);
  core_seconds_.add(core_seconds);
}

RunSummary SummaryBuilder::finish() {
  summary_.host_step = host_seconds_.statistics();
  summary_.core_solve = core_seconds_.statistics();
  return summary_;
}

std::string summary_text(const RunSummary& s) {
  std::string text = "sfqp simulate: " + s.source + ", " + std::to_string(s.steps) + " steps of " +
                     printed("%g ms", s.period * 1e3) + "\n";
  text += "  fell back to zeros: " + std::to_string(s.fallbacks) + " steps";
  if (s.first_fallback) {
    text += " (first at step " + std::to_string(*s.first_fallback) + ")";
  }
  text += "\n";
  if (s.steps > 0) {
    text += "  iterations: min " + std::to_string(s.iteration_counts.begin()->first) + ", median " +
            std::to_string(iterations_at_rank(s, (s.steps + 1) / 2)) + ", max " +
            std::to_string(s.iteration_counts.rbegin()->first) + "\n   ";
    for (const auto& [iterations, count] : s.iteration_counts) {
      text += ' ';
      text += std::to_string(iterations) + ":" + std::to_string(count);
    }
    text += "\n";
  }
  const auto describe = [](const AllocationError& e) {
    return printed("%.6g", e.value) + " (t" + std::to_string(e.control) + " at step " +
           std::to_string(e.step) + ")";
  };
  text += "  largest |C*u - t|: " + describe(s.largest_error) + "; per demand";
  for (int i = 0; i < kEqualityCount; ++i) {
    text += " t";
    text += std::to_string(i) + " " +
            printed("%.3g", s.largest_error_per_control[static_cast<std::size_t>(i)]);
  }
  text += "\n";
  if (s.fallbacks > 0 && s.fallbacks < s.steps) {
    text +=
        "  largest |C*u - t| where the block solved: " + describe(s.largest_error_solved) + "\n";
  }
  text += "  time per step, host path: median " + microseconds(s.host_step.median) + ", p99 " +
          microseconds(s.host_step.p99) + "\n";
  text += "  time per solve, core API (" + s.instruction_set + " build): median " +
          microseconds(s.core_solve.median) + ", p99 " + microseconds(s.core_solve.p99);
  if (s.core_solve.median > 0.0) {
    text += printed(" (host path / core: %.2f)", s.host_step.median / s.core_solve.median);
  }
  text += "\n";
  if (s.bit_identical_steps == s.steps) {
    text += "  block output 1 and core API output1: bit-identical at all " +
            std::to_string(s.steps) + " steps\n";
  } else {
    text += "  block output 1 and core API output1: DIFFER at " +
            std::to_string(s.steps - s.bit_identical_steps) + " steps (first at step " +
            std::to_string(s.first_difference.value_or(0)) + ")\n";
  }
  return text;
}

nlohmann::ordered_json summary_json(const RunSummary& s) {
  using nlohmann::ordered_json;
  // As in every JSON of the tool, a non-finite measure is "inf", "-inf" or
  // "nan" (JSON has no such numbers); null is only for a value there is not.
  const auto number = [](double v) { return io::json_number(v, false); };
  const auto times = [&](const TimeStatistics& t) {
    return ordered_json{{"median", number(t.median)}, {"p99", number(t.p99)}};
  };
  ordered_json histogram = ordered_json::object();
  for (const auto& [iterations, count] : s.iteration_counts) {
    histogram[std::to_string(iterations)] = count;
  }
  ordered_json per_control = ordered_json::array();
  for (double v : s.largest_error_per_control) {
    per_control.push_back(number(v));
  }
  ordered_json out;
  out["source"] = s.source;
  out["period_seconds"] = number(s.period);
  out["steps"] = s.steps;
  out["fallbacks"] = s.fallbacks;
  out["first_fallback_step"] = s.first_fallback ? ordered_json(*s.first_fallback) : ordered_json();
  out["iterations"] = histogram;
  out["largest_allocation_error"] = {{"value", number(s.largest_error.value)},
                                     {"step", s.largest_error.step},
                                     {"control", s.largest_error.control}};
  out["largest_allocation_error_per_control"] = per_control;
  out["largest_allocation_error_solved"] = {{"value", number(s.largest_error_solved.value)},
                                            {"step", s.largest_error_solved.step},
                                            {"control", s.largest_error_solved.control}};
  out["host_step_seconds"] = times(s.host_step);
  out["core_solve_seconds"] = times(s.core_solve);
  out["instruction_set"] = s.instruction_set;
  out["host_to_core_ratio"] =
      s.core_solve.median > 0.0 ? number(s.host_step.median / s.core_solve.median) : ordered_json();
  out["bit_identical_steps"] = s.bit_identical_steps;
  out["first_difference_step"] =
      s.first_difference ? ordered_json(*s.first_difference) : ordered_json();
  return out;
}

}  // namespace sfqp::simulate
