// The built-in scenarios: the default one is the 10-second manoeuvre at 1 kHz
// with its rotor failure, and every scenario is what --list-scenarios says.
#include "tools/simulate/scenarios.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "tests/support/bits.h"
#include "tools/problems/problem_generator.h"

namespace sfqp::simulate {
namespace {

bool column_is_zero(const StepInput& step, std::size_t column) {
  return std::all_of(step.coupling.begin() + static_cast<std::ptrdiff_t>(4 * column),
                     step.coupling.begin() + static_cast<std::ptrdiff_t>(4 * column + 4),
                     [](double v) { return test::bits_of(v) == 0; });
}

TEST(Scenarios, TheDefaultIsTenSecondsAtOneKilohertz) {
  const Scenario* scenario = find_scenario(kDefaultScenario);
  ASSERT_NE(scenario, nullptr);
  EXPECT_EQ(scenario->steps, 10000u);
  EXPECT_EQ(scenario->period, 0.001);
  EXPECT_EQ(scenario_inputs(*scenario).size(), 10000u);
}

TEST(Scenarios, TheManoeuvreHoversThenLosesRotorThreeAtFiveSeconds) {
  const StepInputs steps = scenario_inputs(*find_scenario(kDefaultScenario));
  const problems::RotorRing ring{0.6, 15.0, 0.3};
  EXPECT_EQ(steps[0].coupling, problems::rotor16_coupling(ring));
  EXPECT_DOUBLE_EQ(steps[0].target[0], 12.0 * 9.80665);
  for (std::size_t i = 1; i < 4; ++i) {
    EXPECT_EQ(steps[0].target[i], 0.0);
  }
  EXPECT_FALSE(column_is_zero(steps[4999], 3));
  EXPECT_TRUE(column_is_zero(steps[5000], 3));
  EXPECT_TRUE(column_is_zero(steps[9999], 3));
  for (std::size_t j = 0; j < 16; ++j) {
    EXPECT_EQ(column_is_zero(steps[9999], j), j == 3) << "column " << j;
  }
}

TEST(Scenarios, TheManoeuvreAsksForMoreYawThanTheRotorsCanGive) {
  const StepInputs steps = scenario_inputs(*find_scenario(kDefaultScenario));
  // All even rotors at full command, all odd ones off: the most yaw there is.
  const double yaw_limit = 8 * 0.3;
  const double largest_yaw =
      std::max_element(steps.begin(), steps.end(), [](const StepInput& a, const StepInput& b) {
        return a.target[3] < b.target[3];
      })->target[3];
  EXPECT_GT(largest_yaw, yaw_limit);
}

TEST(Scenarios, HaveDistinctNamesAndAreTheSameEveryTime) {
  std::set<std::string> names;
  for (const Scenario& s : scenarios()) {
    EXPECT_TRUE(names.insert(std::string(s.name)).second) << s.name;
    EXPECT_EQ(find_scenario(s.name), &s);
    const StepInputs first = scenario_inputs(s);
    const StepInputs again = scenario_inputs(s);
    ASSERT_EQ(first.size(), s.steps);
    EXPECT_EQ(first.back().coupling, again.back().coupling);
    EXPECT_EQ(first.back().target, again.back().target);
  }
  EXPECT_EQ(find_scenario("no such scenario"), nullptr);
}

}  // namespace
}  // namespace sfqp::simulate
