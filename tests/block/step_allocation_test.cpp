// A simulation step allocates nothing: the engine's method call, the module's
// dispatch, the output step and the solve, counted across the whole process.
#include <gtest/gtest.h>

#include "tests/block/module_under_test.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/problems_file.h"

namespace sfqp::test {
namespace {

TEST(StepAllocations, SteppingTwoBlocksAllocatesNothing) {
  const auto problems = read_problems(data_path("reference/problems.jsonl"));
  host::Model model;
  host::Block& first = model.add_block(module_path());
  host::Block& second = model.add_block(module_path());
  // Problems that converge and one that runs out of iterations (zeros).
  for (std::size_t n : {0u, 3u, 20u, 33u}) {
    set_inputs(first, {problems[n].problem.coupling, problems[n].problem.target});
    set_inputs(second, {problems[n + 1].problem.coupling, problems[n + 1].problem.target});
    std::size_t allocations = 0;
    {
      const AllocationCounter counter;
      model.step();
      allocations = counter.count();
    }
    EXPECT_EQ(allocations, 0u) << problems[n].name.value_or("");
  }
}

TEST(StepAllocations, TheCounterSeesTheEnginesAllocations) {
  const AllocationCounter counter;
  host::Model model;
  model.add_block(module_path());
  EXPECT_GT(counter.count(), 0u);
}

}  // namespace
}  // namespace sfqp::test
