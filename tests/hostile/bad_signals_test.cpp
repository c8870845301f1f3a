// Bad signals on the block's ports, stepped through the engine into the module
// with guarded port buffers: every step returns without an error status,
// writes output 1 as zeros or as commands within the box (bit-identical to a
// fresh solve through the core API), and touches nothing else.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "api/core_api.h"
#include "host/engine/engine.h"
#include "tests/hostile/block_checks.h"
#include "tests/hostile/guarded_ports.h"
#include "tests/support/problems_file.h"

namespace sfqp::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class BadSignals : public ::testing::Test {
 protected:
  void SetUp() override {
    block_ = &model_.add_block(host::default_module_path());
    ASSERT_TRUE(ports_.attach(block_->record()));
  }

  // One output step on the problem's coupling and target; checks everything
  // but the values of output 1, which it returns.
  std::array<double, 16> step(const api::Problem& problem) {
    std::copy(problem.coupling.begin(), problem.coupling.end(), ports_.input(0).begin());
    for (int i = 0; i < 4; ++i) {
      ports_.input(i + 1)[0] = problem.target[static_cast<std::size_t>(i)];
    }
    ports_.arm();
    EXPECT_TRUE(block_->output_step()) << block_->error_status().value_or("");
    EXPECT_EQ(ports_.fault(), std::nullopt);
    std::array<double, 16> output{};
    std::copy(ports_.output(0).begin(), ports_.output(0).end(), output.begin());
    EXPECT_EQ(output1_fault(output), std::nullopt);
    const api::Result fresh = api::solve(problem);
    EXPECT_LE(fresh.iterations, 25);
    EXPECT_TRUE(identical_bits(output, fresh.output1)) << "the block differs from the core";
    return output;
  }

  static api::Problem reference(const std::string& name) {
    for (const io::NamedProblem& named : read_problems(data_path("reference/problems.jsonl"))) {
      if (named.name == name) {
        return named.problem;
      }
    }
    ADD_FAILURE() << "no reference problem " << name;
    return {};
  }

  host::Model model_;
  host::Block* block_ = nullptr;
  GuardedPorts ports_;
};

TEST_F(BadSignals, NonFiniteCouplingOrTargetGivesZeros) {
  const api::Problem base = reference("diag_half");
  ASSERT_FALSE(all_zeros(step(base))) << "the base problem has a proper solution";
  for (const double bad : {kNaN, -kNaN, kInf, -kInf}) {
    for (const std::size_t position : {0u, 5u, 37u, 63u}) {
      SCOPED_TRACE(testing::Message() << "coupling element " << position << " = " << bad);
      api::Problem problem = base;
      problem.coupling[position] = bad;
      EXPECT_TRUE(all_zeros(step(problem)));
    }
    for (const std::size_t position : {0u, 3u}) {
      SCOPED_TRACE(testing::Message() << "target element " << position << " = " << bad);
      api::Problem problem = base;
      problem.target[position] = bad;
      EXPECT_TRUE(all_zeros(step(problem)));
    }
  }
}

TEST_F(BadSignals, EveryInputNonFiniteGivesZeros) {
  for (const double bad : {kNaN, kInf, -kInf}) {
    SCOPED_TRACE(bad);
    api::Problem problem;
    problem.coupling.fill(bad);
    problem.target.fill(bad);
    EXPECT_TRUE(all_zeros(step(problem)));
  }
}

TEST_F(BadSignals, HugeAndTinyScalesEndWithinTheBudgetOrGiveZeros) {
  const api::Problem base = reference("rotor16_0");
  for (const double scale : {1e-300, 1e-200, 1e-100, 1e-20, 1e20, 1e100, 1e200, 1e300}) {
    SCOPED_TRACE(testing::Message() << "scale " << scale);
    api::Problem whole = base;
    api::Problem coupling_only = base;
    for (std::size_t k = 0; k < whole.coupling.size(); ++k) {
      whole.coupling[k] *= scale;
      coupling_only.coupling[k] *= scale;
    }
    for (double& target : whole.target) {
      target *= scale;
    }
    step(whole);
    step(coupling_only);
  }
}

TEST_F(BadSignals, SubnormalsSignedZerosAndExtremesStayWithinTheBox) {
  const double extremes[] = {
      5e-324, -5e-324, 2.2e-308, -0.0, 1.7976931348623157e308, -1.7976931348623157e308};
  for (const double value : extremes) {
    SCOPED_TRACE(value);
    api::Problem problem;
    problem.coupling.fill(value);
    problem.target.fill(value);
    step(problem);
  }
}

TEST_F(BadSignals, OutputTwoKeepsTheHostsValueStepAfterStep) {
  const api::Problem problem = reference("diag_ten");
  ports_.output(1)[0] = 42.25;
  for (int k = 0; k < 3; ++k) {
    step(problem);
    EXPECT_EQ(ports_.output(1)[0], 42.25);
  }
}

}  // namespace
}  // namespace sfqp::test
