// A simulated step gives, bit for bit, what the core API's solve gives for the
// same inputs, on every golden problem the block can pose (no settings, the
// block's weights).
#include <gtest/gtest.h>

#include "api/core_api.h"
#include "tests/block/module_under_test.h"
#include "tests/support/bits.h"
#include "tests/support/problems_file.h"

namespace sfqp::test {
namespace {

bool block_can_pose(const api::Problem& problem) {
  const api::Problem block_defaults;
  return !problem.settings && same_bits(block_defaults.error_weight, problem.error_weight) &&
         same_bits(block_defaults.effort_weight, problem.effort_weight);
}

// Steps one block through the problems in order, so that each solve also
// follows a different one; returns how many were compared.
std::size_t compare_steps(const std::vector<io::NamedProblem>& problems) {
  host::Model model;
  host::Block& block = model.add_block(module_path());
  std::size_t compared = 0;
  for (std::size_t n = 0; n < problems.size(); ++n) {
    const api::Problem& problem = problems[n].problem;
    if (!block_can_pose(problem)) {
      continue;
    }
    SCOPED_TRACE(problems[n].name.value_or("problem " + std::to_string(n + 1)));
    block.set_input(0, problem.coupling);
    for (std::size_t i = 0; i < problem.target.size(); ++i) {
      block.set_input(static_cast<int>(i) + 1, {&problem.target[i], 1});
    }
    model.step();
    const api::Result expected = api::solve(problem);
    EXPECT_TRUE(same_bits(expected.output1, block.output(0)));
    ++compared;
  }
  return compared;
}

TEST(GoldenSteps, ReferenceProblems) {
  const auto problems = read_problems(data_path("reference/problems.jsonl"));
  EXPECT_EQ(compare_steps(problems), 35u);
}

TEST(GoldenSteps, ReferenceProblemsMatchTheirRecordedOutput) {
  const auto problems = read_problems(data_path("reference/problems.jsonl"));
  const auto expected = read_json_lines(data_path("reference/expected.jsonl"));
  host::Model model;
  host::Block& block = model.add_block(module_path());
  for (std::size_t n = 0; n < 35; ++n) {
    SCOPED_TRACE(expected[n]["name"].get<std::string>());
    StepInputs inputs{problems[n].problem.coupling, problems[n].problem.target};
    set_inputs(block, inputs);
    model.step();
    EXPECT_TRUE(same_bits(doubles_of(expected[n]["output1"]), block.output(0)));
  }
}

TEST(GoldenSteps, GoldenSet) {
  EXPECT_GT(compare_steps(read_problems(data_path("golden/problems.jsonl"))), 0u);
}

}  // namespace
}  // namespace sfqp::test
