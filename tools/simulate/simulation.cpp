#include "tools/simulate/simulation.h"

#include <chrono>
#include <cstring>
#include <string>

#include "api/core_api.h"
#include "host/engine/engine.h"
#include "tools/problems/problem_generator.h"

namespace sfqp::simulate {

namespace {

using Clock = std::chrono::steady_clock;

double seconds_between(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// Input 1 is the matrix; inputs 2 to 5 are the four demands.
constexpr int kCouplingPort = 0;
constexpr int kFirstTargetPort = 1;
constexpr int kCommandsPort = 0;

void fill_from_core(const api::Result& core, StepRecord& record) {
  record.iterations = core.iterations;
  record.converged = core.converged;
  record.fell_back = core.iterations > api::kBlockIterationBudget;
  record.objv = core.objv;
  record.objv_current = core.objv_current;
  record.gap = core.gap;
  record.eq_residual_sq = core.eq_residual_sq;
  record.ineq_residual_sq = core.ineq_residual_sq;
  record.bit_identical =
      std::memcmp(core.output1.data(), record.output1.data(), sizeof record.output1) == 0;
}

}  // namespace

void run_simulation(const std::string& module_path, const StepSource& next_step, double period,
                    const StepHandler& on_step) {
  host::Model model;
  host::Block& block = model.add_block(module_path);
  if (block.output(kCommandsPort).size() != kEffortCount) {
    throw host::EngineError(module_path + ": output 1 has " +
                            std::to_string(block.output(kCommandsPort).size()) +
                            " elements, expected " + std::to_string(kEffortCount));
  }
  api::Problem problem;
  StepRecord record;
  StepInput in;
  for (std::size_t k = 0; next_step(in); ++k) {
    record.step = k;
    record.time = static_cast<double>(k) * period;

    // The host path: what a host does for the block at each step.
    const auto host_start = Clock::now();
    block.set_input(kCouplingPort, in.coupling);
    for (int i = 0; i < kEqualityCount; ++i) {
      block.set_input(kFirstTargetPort + i, {&in.target[static_cast<std::size_t>(i)], 1});
    }
    model.step();
    const auto commands = block.output(kCommandsPort);
    std::memcpy(record.output1.data(), commands.data(), sizeof record.output1);
    const auto host_end = Clock::now();

    problem.coupling = in.coupling;
    problem.target = in.target;
    const auto core_start = Clock::now();
    const api::Result core = api::solve(problem);
    const auto core_end = Clock::now();

    fill_from_core(core, record);
    record.target = in.target;
    record.achieved = problems::demand_of(in.coupling, record.output1);
    on_step(record, {seconds_between(host_start, host_end), seconds_between(core_start, core_end)});
  }
}

}  // namespace sfqp::simulate
