// The test firmware: every golden problem solved on the Cortex-M7, every value
// compared with the golden results to the bit, the stack depth of one step and
// the instructions of each solve measured. Prints a line per difference (both 64-bit patterns in
// hexadecimal: newlib's printf has no %a), then how many problems are embedded
// and how many were compared, and exits with 0 only when every problem was
// compared and matches (CTest checks both counts against the golden file).
#include <cmath>
#include <cstdint>
#include <cstring>

#include "firmware/golden_cases.h"
#include "firmware/golden_load.h"
#include "firmware/instruction_count.h"
#include "firmware/semihosting.h"
#include "firmware/stack_depth.h"
#include "solver/block_problem.h"
#include "solver/output_step.h"
#include "solver/records.h"
#include "solver/solve_qp.h"

namespace sfqp::firmware {
namespace {

std::uint64_t bits_of(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Counts and reports the differences between two arrays of doubles (any NaN
// equals any NaN).
int count_differences(const GoldenCase& golden, const char* field, const double* expected,
                      const double* actual, int count) {
  int differences = 0;
  for (int k = 0; k < count; ++k) {
    const bool both_nan = std::isnan(expected[k]) && std::isnan(actual[k]);
    if (bits_of(expected[k]) == bits_of(actual[k]) || both_nan) {
      continue;
    }
    ++differences;
    write_text(golden.name);
    write_text(": ");
    write_text(field);
    write_text("[");
    write_decimal(k);
    write_text("]: expected ");
    write_hex(bits_of(expected[k]));
    write_text(", got ");
    write_hex(bits_of(actual[k]));
    write_text("\n");
  }
  return differences;
}

int count_difference(const GoldenCase& golden, const char* field, std::int64_t expected,
                     std::int64_t actual) {
  if (expected == actual) {
    return 0;
  }
  write_text(golden.name);
  write_text(": ");
  write_text(field);
  write_text(": expected ");
  write_decimal(expected);
  write_text(", got ");
  write_decimal(actual);
  write_text("\n");
  return 1;
}

// The instructions of the solve of each problem that ran 25 iterations, at
// most, and of the first that ran 4.
struct SolveCost {
  std::int64_t worst_25 = 0;
  std::int64_t first_4 = 0;
};

int check_solve(const GoldenCase& golden, SolveCost& cost) {
  load_golden(golden);
  std::int32_t iterations = 0;
  const std::int64_t instructions = instructions_of([&] { iterations = solve_qp(); });
  if (iterations == 25 && instructions > cost.worst_25) {
    cost.worst_25 = instructions;
  }
  if (iterations == 4 && cost.first_4 == 0) {
    cost.first_4 = instructions;
  }
  int differences = count_difference(golden, "iterations", golden.iterations, iterations);
  differences += count_difference(golden, "converged", golden.converged, workspace.converged);
  differences += count_differences(golden, "u", golden.u, solution.u, kEffortCount);
  differences += count_differences(golden, "e", golden.e, &workspace.x[kStackX], kErrorCount);
  differences += count_differences(golden, "y", golden.y, workspace.y, kEqualityCount);
  differences += count_differences(golden, "s", golden.s, workspace.s, kInequalityCount);
  differences += count_differences(golden, "z", golden.z, workspace.z, kInequalityCount);
  if (golden.objv_current) {
    differences += count_differences(golden, "objv", &golden.objv, &workspace.objv, 1);
  }
  differences += count_differences(golden, "gap", &golden.gap, &workspace.gap, 1);
  differences += count_differences(golden, "eq_residual_sq", &golden.eq_residual_sq,
                                   &workspace.eq_residual_sq, 1);
  differences += count_differences(golden, "ineq_residual_sq", &golden.ineq_residual_sq,
                                   &workspace.ineq_residual_sq, 1);
  return differences;
}

// The embedding entry on the block's problems: its 16 outputs are the block's
// output 1, u or the zeros past the iteration budget.
int check_step(const GoldenCase& golden, std::size_t& deepest_stack) {
  double inputs[kStepInputCount];
  std::memcpy(inputs, golden.coupling, sizeof golden.coupling);
  std::memcpy(inputs + kCouplingCount, golden.target, sizeof golden.target);
  double outputs[kStepOutputCount];
  const std::size_t depth = stack_depth_of(embedded_step, inputs, outputs);
  deepest_stack = depth > deepest_stack ? depth : deepest_stack;
  return count_differences(golden, "output1", golden.output1, outputs, kStepOutputCount);
}

}  // namespace

int run() {
  int differences = 0;
  int compared = 0;
  int steps = 0;
  std::size_t deepest_stack = 0;
  SolveCost cost;
  start_instruction_count();
  for (int n = 0; n < kGoldenCaseCount; ++n) {
    const GoldenCase& golden = kGoldenCases[n];
    differences += check_solve(golden, cost);
    ++compared;
    if (golden.settings == nullptr && golden.error_weight == nullptr &&
        golden.effort_weight == nullptr) {
      differences += check_step(golden, deepest_stack);
      ++steps;
    }
  }
  write_text("golden problems: ");
  write_decimal(kGoldenCaseCount);
  write_text(" embedded, ");
  write_decimal(compared);
  write_text(" compared, ");
  write_decimal(steps);
  write_text(" through the embedding entry; differences: ");
  write_decimal(differences);
  write_text("\nstack of one step: ");
  write_decimal(static_cast<std::int64_t>(deepest_stack));
  write_text(" bytes at most\ninstructions of a solve: ");
  write_decimal(cost.worst_25);
  write_text(" at most in 25 iterations, ");
  write_decimal(cost.first_4);
  write_text(" in 4\n");
  if (cost.worst_25 > kWorstSolveInstructionLimit) {
    write_text("a solve takes more instructions than its limit\n");
    return 1;
  }
  if (deepest_stack > kStepStackLimit) {
    write_text("the step needs more stack than its limit\n");
    return 1;
  }
  if (compared != kGoldenCaseCount) {
    write_text("not every golden problem was compared\n");
    return 1;
  }
  return differences == 0 ? 0 : 1;
}

}  // namespace sfqp::firmware
