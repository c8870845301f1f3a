// The summary of a run: how often the block fell back to zeros, how many
// iterations its solves took, how far the achieved virtual controls came from
// the demanded ones, what a step costs through the host path next to what a
// solve costs through the core API, and whether the block's output agreed with
// the core's to the bit at every step.
#pragma once

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "tools/simulate/step_record.h"
#include "tools/simulate/time_histogram.h"

namespace sfqp::simulate {

struct AllocationError {
  double value = 0.0;  // |coupling * output 1 - target|
  std::size_t step = 0;
  int control = 0;  // 0..3: which demand
};

struct RunSummary {
  std::string source;   // "scenario manoeuvre" or "input FILE"
  double period = 0.0;  // s per step
  std::size_t steps = 0;
  std::size_t fallbacks = 0;
  std::optional<std::size_t> first_fallback;
  std::map<std::int32_t, std::size_t> iteration_counts;  // iterations -> steps
  AllocationError largest_error;
  AllocationError largest_error_solved;  // over the steps that did not fall back
  std::array<double, kEqualityCount> largest_error_per_control{};
  TimeStatistics host_step;     // the engine's step: inputs in, output method, output out
  TimeStatistics core_solve;    // the core API's solve of the same inputs
  std::string instruction_set;  // the build of the arithmetic that solved: "x86-64-v3"
  std::size_t bit_identical_steps = 0;
  std::optional<std::size_t> first_difference;
};

// Collects a run step by step.
class SummaryBuilder {
 public:
  SummaryBuilder(std::string source, double period);
  void add(const StepRecord& record, double host_seconds, double core_seconds);
  RunSummary finish();

 private:
  RunSummary summary_;
  TimeHistogram host_seconds_;
  TimeHistogram core_seconds_;
};

// The few lines written to standard error at the end of a run.
std::string summary_text(const RunSummary& summary);
nlohmann::ordered_json summary_json(const RunSummary& summary);

}  // namespace sfqp::simulate
