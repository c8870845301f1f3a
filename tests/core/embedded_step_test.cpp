// The embedding entry: the block's step on its 68 input values in one array,
// as flight software calls it without a host. It gives the block's output 1 of
// every golden problem the block solves as it is, and, like the block, writes
// every setting afresh and prints nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "solver/output_step.h"
#include "tests/support/bits.h"
#include "tests/support/console_capture.h"
#include "tests/support/problems_file.h"

namespace sfqp::test {
namespace {

using nlohmann::json;

// The inputs in the block's port order: coupling column-major, then targets.
std::vector<double> step_inputs(const api::Problem& problem) {
  std::vector<double> inputs(problem.coupling.begin(), problem.coupling.end());
  inputs.insert(inputs.end(), problem.target.begin(), problem.target.end());
  return inputs;
}

TEST(EmbeddedStep, GivesTheBlocksOutputOnEveryGoldenProblem) {
  const auto problems = read_problems(data_path("golden/problems.jsonl"));
  const auto expected = read_json_lines(data_path("golden/expected.jsonl"));
  ASSERT_EQ(problems.size(), expected.size());
  const api::Problem block_problem;
  int stepped = 0;
  for (std::size_t n = 0; n < problems.size(); ++n) {
    const api::Problem& problem = problems[n].problem;
    if (problem.settings || problem.error_weight != block_problem.error_weight ||
        problem.effort_weight != block_problem.effort_weight) {
      continue;  // not what the block solves
    }
    SCOPED_TRACE(problems[n].name.value_or("line " + std::to_string(n + 1)));
    const std::vector<double> inputs = step_inputs(problem);
    ASSERT_EQ(inputs.size(), static_cast<std::size_t>(kStepInputCount));
    std::vector<double> outputs(kStepOutputCount, -1.0);
    embedded_step(inputs.data(), outputs.data());
    EXPECT_TRUE(same_bits(doubles_of(expected[n].at("output1")), outputs));
    ++stepped;
  }
  EXPECT_GE(stepped, 200);
}

// Settings left by other code (the progress table on, a longer iteration limit)
// do not reach the step, which prints nothing even with a console sink set.
TEST(EmbeddedStep, RestoresTheBlocksSettingsAndPrintsNothing) {
  const auto problems = read_problems(data_path("golden/problems.jsonl"));
  const std::vector<double> inputs = step_inputs(problems.front().problem);
  std::vector<double> clean(kStepOutputCount);
  embedded_step(inputs.data(), clean.data());

  set_default_settings();
  solver_settings.print_progress = 1;
  solver_settings.print_kkt_checks = 1;
  solver_settings.iteration_limit = 3;
  std::vector<double> after(kStepOutputCount);
  begin_console_capture();
  embedded_step(inputs.data(), after.data());
  EXPECT_EQ(end_console_capture(), "");
  EXPECT_TRUE(same_bits(clean, after));
  EXPECT_FALSE(std::all_of(after.begin(), after.end(),
                           [](double u) { return std::fpclassify(u) == FP_ZERO; }));
}

}  // namespace
}  // namespace sfqp::test
