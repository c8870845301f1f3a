// The solver allocates nothing: a block-style solve, counted across the whole
// process, makes no heap allocation.
#include <gtest/gtest.h>

#include <cstring>

#include "solver/records.h"
#include "solver/solve_qp.h"
#include "tests/support/allocation_counter.h"
#include "tests/support/instruction_sets.h"

namespace sfqp::test {
namespace {

// In every build of the arithmetic.
class NoAllocationInSolve : public EachInstructionSet {};

TEST_P(NoAllocationInSolve, SolveQpAllocatesNothing) {
  for (int j = 0; j < kEffortCount; ++j) {
    problem_data.effort_weight[j] = 1.0;
    for (int i = 0; i < kEqualityCount; ++i) {
      problem_data.coupling[i + 4 * j] = (i + j) % 5 - 2.0;
    }
  }
  for (int i = 0; i < kEqualityCount; ++i) {
    problem_data.error_weight[i] = 40000.0;
    problem_data.target[i] = 0.3 * i;
  }
  for (int limit : {25, 3, 0}) {
    set_default_settings();
    solver_settings.print_progress = 0;
    solver_settings.iteration_limit = limit;
    bind_views();
    std::int32_t iterations = -1;
    {
      const AllocationCounter counter;
      iterations = solve_qp();
      EXPECT_EQ(counter.count(), 0u) << "iteration limit " << limit;
    }
    EXPECT_GE(iterations, 0);
  }
}

SFQP_FOR_EACH_INSTRUCTION_SET(NoAllocationInSolve);

// A direct call of operator new: a compiler may leave out the allocation of a
// new-expression whose object never escapes (clang does), not this call.
TEST(NoAllocation, CounterSeesAllocations) {
  const AllocationCounter counter;
  void* const memory = ::operator new(sizeof(int));
  EXPECT_GE(counter.count(), 1u);
  ::operator delete(memory);
}

}  // namespace
}  // namespace sfqp::test
