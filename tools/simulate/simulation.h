// The simulation: a model holding one block of the module, stepped once per
// input step through the host engine, as a user's host would step it. Beside
// each step the core API solves the same inputs, so that the run can say what
// the block cannot say through its ports (iterations, convergence, measures)
// and check that the block's output is the core's to the bit.
#pragma once

#include <functional>
#include <string>

#include "tools/simulate/step_input.h"
#include "tools/simulate/step_record.h"

namespace sfqp::simulate {

struct StepTiming {
  double host_seconds = 0.0;  // inputs into the port buffers, output method, output 1 out
  double core_seconds = 0.0;  // the core API's solve
};

// Gives the next step's inputs, or false when there are no more.
using StepSource = std::function<bool(StepInput&)>;
using StepHandler = std::function<void(const StepRecord&, const StepTiming&)>;

// Runs the steps next_step gives, in order, through a fresh model; step k is
// at time k * period. Throws sfqp::host::EngineError when the module cannot be
// loaded or set up, or when the block sets an error status.
void run_simulation(const std::string& module_path, const StepSource& next_step, double period,
                    const StepHandler& on_step);

}  // namespace sfqp::simulate
