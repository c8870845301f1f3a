#include "tests/soak/soak_run.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <span>

#include "api/core_api.h"
#include "host/engine/engine.h"
#include "tests/hostile/block_checks.h"
#include "tests/support/allocation_counter.h"

namespace sfqp::test {

namespace {

// How slowly the scenario drifts: a full period of its slowest component in
// this many steps, so that consecutive steps differ only a little.
constexpr double kPeriodSteps = 20000.0;

// The scenario of one block at step k: a rotor-style allocation matrix whose
// entries wobble by up to 20 % and demands that sweep through the reachable
// range and a little beyond, so that some steps hit the bounds. The phase
// tells the two blocks apart.
api::Problem scenario(std::int64_t k, double phase) {
  const double t = 2.0 * std::numbers::pi * static_cast<double>(k) / kPeriodSteps + phase;
  api::Problem problem;
  for (int j = 0; j < 16; ++j) {
    const double angle = 2.0 * std::numbers::pi * j / 16.0;
    const double wobble = 1.0 + 0.2 * std::sin(0.7 * t + 0.3 * j);
    const auto column = static_cast<std::size_t>(4 * j);
    problem.coupling[column + 0] = wobble;
    problem.coupling[column + 1] = wobble * std::cos(angle);
    problem.coupling[column + 2] = wobble * std::sin(angle);
    problem.coupling[column + 3] = (j % 2 == 0 ? 0.1 : -0.1) * wobble;
  }
  problem.target[0] = 8.0 + 7.0 * std::sin(t);
  problem.target[1] = 3.0 * std::sin(1.3 * t + 1.0);
  problem.target[2] = 3.0 * std::cos(0.9 * t);
  problem.target[3] = 0.4 * std::sin(2.1 * t + phase);
  return problem;
}

void set_inputs(host::Block& block, const api::Problem& problem) {
  block.set_input(0, problem.coupling);
  for (int i = 0; i < 4; ++i) {
    block.set_input(i + 1, {&problem.target[static_cast<std::size_t>(i)], 1});
  }
}

// Resident and peak resident memory of this process, from the kernel.
std::int64_t status_kib(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.compare(0, prefix.size(), prefix) == 0) {
      return std::stoll(line.substr(prefix.size()));
    }
  }
  return -1;
}

}  // namespace

SoakReport run_soak(const SoakOptions& options) {
  SoakReport report;
  const std::string path =
      options.module_path.empty() ? host::default_module_path() : options.module_path;
  host::Model model;
  std::array<host::Block*, 2> blocks = {&model.add_block(path), &model.add_block(path)};
  const std::array<double, 2> phases = {0.0, 2.0};
  std::array<api::Problem, 2> problems;

  for (std::int64_t k = 0; k < options.steps; ++k) {
    for (std::size_t b = 0; b < blocks.size(); ++b) {
      problems[b] = scenario(k, phases[b]);
      set_inputs(*blocks[b], problems[b]);
    }
    try {
      if (k == 0) {
        model.step();
      } else {
        const AllocationCounter counter;
        model.step();
        report.allocations_after_first_step += counter.count();
      }
    } catch (const host::SimulationError& error) {
      report.error = error.what();
      break;
    }
    ++report.steps;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
      const std::span<const double> output = blocks[b]->output(0);
      if (output1_fault(output)) {
        ++report.invalid_outputs;
      } else if (all_zeros(output)) {
        ++report.zero_outputs;
      }
      if (k % options.sample_every == 0 || k == options.steps - 1) {
        ++report.samples;
        if (!identical_bits(output, api::solve(problems[b]).output1)) {
          ++report.mismatches;
        }
      }
    }
    if (k == 0) {
      // After the first step and its first reference solves: from here on
      // nothing may grow.
      report.rss_after_first_step_kib = status_kib("VmRSS");
    }
    if (k == options.steps / 10) {
      report.rss_after_tenth_kib = status_kib("VmRSS");
    }
  }
  report.rss_at_end_kib = status_kib("VmRSS");
  report.peak_rss_kib = status_kib("VmHWM");
  return report;
}

std::string describe(const SoakReport& report) {
  char text[512];
  std::snprintf(
      text, sizeof text,
      "steps: %lld (two blocks each)\n"
      "sampled outputs: %lld, mismatches with a fresh solve: %lld\n"
      "invalid outputs: %lld, zero outputs: %lld\n"
      "allocations after the first step: %zu\n"
      "resident memory after the first step: %lld KiB, after a tenth of the steps: %lld KiB, "
      "at the end: %lld KiB, peak: %lld KiB\n",
      static_cast<long long>(report.steps), static_cast<long long>(report.samples),
      static_cast<long long>(report.mismatches), static_cast<long long>(report.invalid_outputs),
      static_cast<long long>(report.zero_outputs), report.allocations_after_first_step,
      static_cast<long long>(report.rss_after_first_step_kib),
      static_cast<long long>(report.rss_after_tenth_kib),
      static_cast<long long>(report.rss_at_end_kib), static_cast<long long>(report.peak_rss_kib));
  std::string result = text;
  if (!report.error.empty()) {
    result += "stopped by an error status: " + report.error + "\n";
  }
  return result;
}

}  // namespace sfqp::test
