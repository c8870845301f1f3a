// The improved start's shift, in every build the processor runs: s and z are
// held bit for bit to the rule taken entry by entry in index order on the w
// the start's solve left in the direction, on problems whose w has ties
// between zeros, NaN entries, or no entry above the floor of -1e99; and the
// plain start, which a solve allowed no iteration returns as it is.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "api/core_api.h"
#include "solver/records.h"
#include "tests/support/bits.h"
#include "tests/support/instruction_sets.h"

namespace sfqp::test {
namespace {

// The largest of the entries f(w[i]) that exceed the running value, which
// starts at -1e99: NaN entries never do.
template <typename F>
double largest_in_order(const double* w, F f) {
  double largest = -1e99;
  for (int i = 0; i < kInequalityCount; ++i) {
    if (f(w[i]) > largest) {
      largest = f(w[i]);
    }
  }
  return largest;
}

std::vector<api::Problem> start_cases() {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<api::Problem> cases(5);
  // cases[0]: all zero, so w repeats values and holds both zeros.
  for (int i = 0; i < kEqualityCount; ++i) {
    cases[1].coupling[static_cast<std::size_t>(5 * i)] = 1.0;
    cases[1].target[static_cast<std::size_t>(i)] = 0.5;
  }
  cases[2].target = {0.25, -3.0, 1e3, 7.0};
  cases[2].coupling[3] = 2.0;
  cases[2].coupling[40] = -1.5;
  cases[3].target[1] = nan;     // NaN in w where the target reaches
  cases[4].coupling.fill(nan);  // NaN everywhere: nothing above the floor
  for (api::Problem& problem : cases) {
    SolverSettings settings = api::block_settings();
    settings.iteration_limit = 0;
    problem.settings = settings;
  }
  return cases;
}

class StartPoint : public EachInstructionSet {};

// Bit for bit, NaN signs and payloads included: the start negates w, and the
// rule and the lanes must agree on every bit of it.
TEST_P(StartPoint, ShiftMatchesTheRuleEntryByEntry) {
  int case_number = 0;
  for (const api::Problem& problem : start_cases()) {
    const api::Result result = api::solve(problem);
    const double* const w = &workspace.direction[kStackZ];
    const double max_primal = largest_in_order(w, [](double v) { return v; });
    const double max_dual = largest_in_order(w, [](double v) { return -v; });
    for (int i = 0; i < kInequalityCount; ++i) {
      const double s = max_primal < 0.0 ? -w[i] : (max_primal + 1.0) - w[i];
      const double z = max_dual < 0.0 ? w[i] : (max_dual + 1.0) + w[i];
      const auto entry = static_cast<std::size_t>(i);
      EXPECT_TRUE(bits_of(result.s[entry]) == bits_of(s) && bits_of(result.z[entry]) == bits_of(z))
          << "case " << case_number << " entry " << i << ": s " << describe(result.s[entry])
          << " (rule " << describe(s) << "), z " << describe(result.z[entry]) << " (rule "
          << describe(z) << ")";
    }
    ++case_number;
  }
}

// Without the improved start and with no iteration allowed, the result is the
// plain start itself: x and y zero, each slack its bound's distance where that
// is positive (the 16 upper bounds, rows 16 to 31, 1) and initial_slack where
// it is not (the lower bounds, rows 0 to 15, 0), every dual initial_dual. Nothing of a solve is
// run.
TEST_P(StartPoint, PlainStartWithoutIterationsIsTheStartItself) {
  for (api::Problem problem : start_cases()) {
    SolverSettings settings = *problem.settings;
    settings.improved_start = 0;
    settings.initial_slack = 0.375;
    settings.initial_dual = 2.5;
    problem.settings = settings;
    const api::Result result = api::solve(problem);
    EXPECT_EQ(result.iterations, 0);
    EXPECT_FALSE(result.converged);
    for (std::size_t j = 0; j < kEffortCount; ++j) {
      EXPECT_EQ(bits_of(result.u[j]), bits_of(0.0)) << "u " << j;
      EXPECT_EQ(bits_of(result.s[j]), bits_of(0.375)) << "s " << j;
      EXPECT_EQ(bits_of(result.s[kEffortCount + j]), bits_of(1.0)) << "s " << kEffortCount + j;
    }
    for (std::size_t i = 0; i < kEqualityCount; ++i) {
      EXPECT_EQ(bits_of(result.e[i]), bits_of(0.0)) << "e " << i;
      EXPECT_EQ(bits_of(result.y[i]), bits_of(0.0)) << "y " << i;
    }
    for (const double z : result.z) {
      EXPECT_EQ(bits_of(z), bits_of(2.5));
    }
  }
}

SFQP_FOR_EACH_INSTRUCTION_SET(StartPoint);

}  // namespace
}  // namespace sfqp::test
