// The output step: the port signals become one QP, its u becomes output 1.
// Allocates nothing: fixed-size copies into the solver's records and into the
// host's signal buffer.
#include "block/block_methods.h"
#include "solver/block_problem.h"
#include "solver/records.h"
#include "solver/solve_qp.h"

namespace sfqp::block {

namespace {

constexpr char kSignalsMissingMessage[] = "sfqpsolv: the host gave no port signal buffers";
constexpr char kPortsMissingMessage[] =
    "sfqpsolv: the host's record has fewer ports than the block declared";

}  // namespace

void mdlOutputs(SimStruct* S, int) {
  if (ssGetNumInputPorts(S) < kBlockInputPorts || ssGetNumOutputPorts(S) < kBlockOutputPorts) {
    ssSetErrorStatus(S, kPortsMissingMessage);
    return;
  }
  const void* inputs[kBlockInputPorts];
  for (int port = 0; port < kBlockInputPorts; ++port) {
    inputs[port] = ssGetInputPortSignal(S, port);
  }
  void* output1 = ssGetOutputPortSignal(S, 0);
  void* output2 = ssGetOutputPortSignal(S, 1);
  for (const void* signal : inputs) {
    if (signal == nullptr) {
      ssSetErrorStatus(S, kSignalsMissingMessage);
      return;
    }
  }
  if (output1 == nullptr) {
    ssSetErrorStatus(S, kSignalsMissingMessage);
    return;
  }
  block_step(static_cast<const double*>(inputs[0]), static_cast<const double*>(inputs[1]),
             static_cast<const double*>(inputs[2]), static_cast<const double*>(inputs[3]),
             static_cast<const double*>(inputs[4]), static_cast<double*>(output1),
             static_cast<double*>(output2));
}

// Output 2 is declared and passed along but never read or written.
void block_step(const double* input1, const double* input2, const double* input3,
                const double* input4, const double* input5, double* output1, double*) {
  set_default_settings();
  bind_views();
  solver_settings.print_progress = 0;

  // Column-major in both places: no transposition.
  for (int k = 0; k < kCouplingCount; ++k) {
    problem_data.coupling[k] = input1[k];
  }
  problem_data.target[0] = *input2;
  problem_data.target[1] = *input3;
  problem_data.target[2] = *input4;
  problem_data.target[3] = *input5;
  for (double& weight : problem_data.effort_weight) {
    weight = kBlockEffortWeight;
  }
  for (double& weight : problem_data.error_weight) {
    weight = kBlockErrorWeight;
  }

  const std::int32_t iterations = solve_qp();
  if (iterations > kBlockIterationBudget) {
    for (int k = 0; k < kEffortCount; ++k) {
      output1[k] = 0.0;
    }
    return;
  }
  for (int k = 0; k < kEffortCount; ++k) {
    output1[k] = solution.u[k];
  }
}

}  // namespace sfqp::block
