// The output step through the engine: where the inputs land, what output 1
// holds at the iteration budget, what output 2 keeps, and that nothing from
// one step or one block reaches the next.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "api/core_api.h"
#include "host/runtime/console.h"
#include "interfaces/host_abi/simstruct.h"
#include "tests/block/module_under_test.h"
#include "tests/support/bits.h"
#include "tests/support/problems_file.h"

namespace sfqp::test {
namespace {

std::span<const double> view(const std::array<double, kEffortCount>& values) {
  return values;
}

api::Result solve_as_block(const StepInputs& inputs) {
  api::Problem problem;
  problem.coupling = inputs.coupling;
  problem.target = inputs.target;
  return api::solve(problem);
}

StepInputs inputs_of(const io::NamedProblem& named) {
  StepInputs inputs;
  inputs.coupling = named.problem.coupling;
  inputs.target = named.problem.target;
  return inputs;
}

StepInputs reference_inputs(std::size_t index) {
  static const auto problems = read_problems(data_path("reference/problems.jsonl"));
  return inputs_of(problems.at(index));
}

class OutputStep : public ::testing::Test {
 protected:
  host::Model model_;
  host::Block& block_ = model_.add_block(module_path());

  std::vector<double> step(const StepInputs& inputs) {
    set_inputs(block_, inputs);
    model_.step();
    const auto out = block_.output(0);
    return {out.begin(), out.end()};
  }
};

TEST_F(OutputStep, InputsAreNotTransposed) {
  const auto records = find_module_records();
  if (!records) {
    GTEST_SKIP() << "the module carries no symbol table";
  }
  StepInputs inputs;
  for (int k = 0; k < kCouplingCount; ++k) {
    inputs.coupling[static_cast<std::size_t>(k)] = 0.01 * k;
  }
  inputs.target = {0.1, 0.2, 0.3, 0.4};
  step(inputs);
  // Position 1 is row 1, column 0; position 4 is row 0, column 1.
  EXPECT_EQ(records->problem->coupling[1], 0.01);
  EXPECT_EQ(records->problem->coupling[4], 0.04);
  EXPECT_TRUE(same_bits(inputs.coupling, std::span<const double>(records->problem->coupling)));
  EXPECT_TRUE(same_bits(inputs.target, std::span<const double>(records->problem->target)));
}

TEST_F(OutputStep, OutputOneIsUPositionForPosition) {
  const StepInputs inputs = reference_inputs(3);
  const auto out = step(inputs);
  const api::Result expected = solve_as_block(inputs);
  ASSERT_LE(expected.iterations, 24);
  EXPECT_TRUE(same_bits(view(expected.u), out));
  EXPECT_TRUE(same_bits(expected.u[5], out[5]));  // row 1, column 1
}

TEST_F(OutputStep, ZerosFromTheTwentyFifthIteration) {
  const auto problems = read_problems(block_data_path("iteration_budget.jsonl"));
  ASSERT_EQ(problems.size(), 2u);
  const StepInputs on_24 = inputs_of(problems[0]);
  const StepInputs on_25 = inputs_of(problems[1]);

  const api::Result solved_24 = solve_as_block(on_24);
  ASSERT_EQ(solved_24.iterations, 24);
  ASSERT_TRUE(solved_24.converged);
  EXPECT_TRUE(same_bits(view(solved_24.u), step(on_24)));

  // Converged, and on its 25th iteration: still zeros.
  const api::Result solved_25 = solve_as_block(on_25);
  ASSERT_EQ(solved_25.iterations, 25);
  ASSERT_TRUE(solved_25.converged);
  ASSERT_FALSE(std::all_of(solved_25.u.begin(), solved_25.u.end(),
                           [](double v) { return std::fpclassify(v) == FP_ZERO; }));
  EXPECT_TRUE(same_bits(std::vector<double>(16, 0.0), step(on_25)));

  // Running out of iterations without converging: zeros too.
  const StepInputs unconverged = reference_inputs(20);
  ASSERT_FALSE(solve_as_block(unconverged).converged);
  EXPECT_TRUE(same_bits(std::vector<double>(16, 0.0), step(unconverged)));
}

TEST_F(OutputStep, OutputTwoKeepsWhatTheHostPutThere) {
  block_.output(1)[0] = 12.5;
  for (std::size_t n : {0u, 20u, 3u}) {
    step(reference_inputs(n));
    EXPECT_EQ(block_.output(1)[0], 12.5);
  }
  double sentinel = 0.0;
  const std::uint64_t bits = 0x7ff4000000000123u;  // a signalling NaN, kept bit for bit
  std::memcpy(&sentinel, &bits, sizeof sentinel);
  block_.output(1)[0] = sentinel;
  step(reference_inputs(1));
  EXPECT_TRUE(same_bits(sentinel, block_.output(1)[0]));
}

TEST_F(OutputStep, SettingsAndWeightsChangedBetweenStepsHaveNoEffect) {
  const auto records = find_module_records();
  if (!records) {
    GTEST_SKIP() << "the module carries no symbol table";
  }
  const StepInputs inputs = reference_inputs(10);
  const auto first = step(inputs);

  SolverSettings& settings = *records->settings;
  settings.print_progress = 1;
  settings.print_refinement = 1;
  settings.print_kkt_checks = 1;
  settings.iteration_limit = 2;
  settings.refinement_passes = 0;
  settings.improved_start = 0;
  settings.gap_tolerance = 1.0;
  settings.residual_tolerance = 1.0;
  settings.kkt_regularization = 0.5;
  for (double& weight : records->problem->effort_weight) {
    weight = 7.0;
  }
  for (double& weight : records->problem->error_weight) {
    weight = 3.0;
  }
  host::begin_console_capture();
  const auto second = step(inputs);
  const std::string printed = host::end_console_capture();
  EXPECT_TRUE(same_bits(first, second));
  EXPECT_EQ(printed, "");
  EXPECT_EQ(records->settings->iteration_limit, 25);
  EXPECT_EQ(records->settings->print_progress, 0);
  EXPECT_EQ(records->problem->effort_weight[15], 1.0);
  EXPECT_EQ(records->problem->error_weight[3], 40000.0);
}

TEST(OutputSteps, TwoBlocksSteppingAlternatelyGiveWhatEachGivesAlone) {
  const StepInputs a = reference_inputs(6);
  const StepInputs b = reference_inputs(22);
  auto alone = [](const StepInputs& inputs) {
    host::Model model;
    host::Block& block = model.add_block(module_path());
    set_inputs(block, inputs);
    model.step();
    const auto out = block.output(0);
    return std::vector<double>(out.begin(), out.end());
  };
  const auto a_alone = alone(a);
  const auto b_alone = alone(b);

  host::Model model;
  host::Block& first = model.add_block(module_path());
  host::Block& second = model.add_block(module_path());
  set_inputs(first, a);
  set_inputs(second, b);
  for (int n = 0; n < 3; ++n) {
    model.step();
    EXPECT_TRUE(same_bits(a_alone, first.output(0)));
    EXPECT_TRUE(same_bits(b_alone, second.output(0)));
    // Swap the inputs, so each block follows a solve of the other's problem.
    set_inputs(first, n % 2 == 0 ? b : a);
    set_inputs(second, n % 2 == 0 ? a : b);
    model.step();
    EXPECT_TRUE(same_bits(n % 2 == 0 ? b_alone : a_alone, first.output(0)));
    EXPECT_TRUE(same_bits(n % 2 == 0 ? a_alone : b_alone, second.output(0)));
    set_inputs(first, a);
    set_inputs(second, b);
  }
  EXPECT_EQ(model.steps_taken(), 6);
}

TEST(OutputSteps, NonFiniteInputsGoInAsTheyAre) {
  // Not validated: the count decides, and output 1 is zeros or u.
  host::Model model;
  host::Block& block = model.add_block(module_path());
  StepInputs inputs = reference_inputs(3);
  inputs.coupling[7] = std::nan("");
  inputs.target[2] = std::numeric_limits<double>::infinity();
  set_inputs(block, inputs);
  model.step();
  const api::Result expected = solve_as_block(inputs);
  EXPECT_TRUE(same_bits(view(expected.output1), block.output(0)));
}

TEST(OutputSteps, AHostWithoutSignalBuffersGetsAnErrorNotACrash) {
  host::Model model;
  host::Block& block = model.add_block(module_path());
  block.record()->inputPorts[2].signal = nullptr;
  try {
    model.step();
    ADD_FAILURE() << "the step went ahead without a buffer";
  } catch (const host::SimulationError& error) {
    EXPECT_EQ(error.block_index(), 0u);
    EXPECT_EQ(error.module_text(), "sfqpsolv: the host gave no port signal buffers");
  }
}

TEST(OutputSteps, ARecordWithFewerPortsThanDeclaredGetsItsOwnError) {
  host::Model model;
  host::Block& block = model.add_block(module_path());
  const std::string fewer = "sfqpsolv: the host's record has fewer ports than the block declared";
  SimStruct* S = block.record();
  for (int entry : {ss_size::kNumInputPorts, ss_size::kNumOutputPorts}) {
    const std::int32_t declared = S->sizes[entry];
    S->sizes[entry] = declared - 1;
    EXPECT_FALSE(block.output_step()) << entry;
    EXPECT_EQ(block.error_status(), fewer) << entry;
    S->sizes[entry] = declared;
  }
  EXPECT_TRUE(block.output_step());
}

}  // namespace
}  // namespace sfqp::test
