// The core reproduces, to the bit, results computed independently of this code
// from the same description of the arithmetic.
#include <gtest/gtest.h>

#include "tests/support/bits.h"
#include "tests/support/instruction_sets.h"
#include "tests/support/problems_file.h"

namespace sfqp::test {
namespace {

template <std::size_t N>
std::span<const double> view(const std::array<double, N>& a) {
  return {a.data(), N};
}

// In every build of the arithmetic.
class ReferenceResults : public EachInstructionSet {};

TEST_P(ReferenceResults, EveryValueMatchesToTheBit) {
  const auto problems = read_problems(data_path("reference/problems.jsonl"));
  const auto expected = read_json_lines(data_path("reference/expected.jsonl"));
  ASSERT_EQ(problems.size(), expected.size());
  ASSERT_EQ(problems.size(), 41u);

  for (std::size_t n = 0; n < problems.size(); ++n) {
    const auto& want = expected[n];
    SCOPED_TRACE(want["name"].get<std::string>());
    api::Problem problem = problems[n].problem;
    problem.capture_console = true;
    const api::Result got = api::solve(problem);

    EXPECT_EQ(got.iterations, want["iterations"].get<int>());
    EXPECT_EQ(got.converged ? 1 : 0, want["converged"].get<int>());
    EXPECT_TRUE(same_bits(doubles_of(want["output1"]), view(got.output1))) << "output1";
    EXPECT_TRUE(same_bits(doubles_of(want["u"]), view(got.u))) << "u";
    EXPECT_TRUE(same_bits(doubles_of(want["e"]), view(got.e))) << "e";
    EXPECT_TRUE(same_bits(doubles_of(want["y"]), view(got.y))) << "y";
    EXPECT_TRUE(same_bits(doubles_of(want["s"]), view(got.s))) << "s";
    EXPECT_TRUE(same_bits(doubles_of(want["z"]), view(got.z))) << "z";
    EXPECT_TRUE(same_bits(double_of(want["gap"]), got.gap)) << "gap";
    EXPECT_TRUE(same_bits(double_of(want["eq_residual_sq"]), got.eq_residual_sq));
    EXPECT_TRUE(same_bits(double_of(want["ineq_residual_sq"]), got.ineq_residual_sq));
    if (want["objv"].is_null()) {
      EXPECT_FALSE(got.objv_current);
    } else {
      EXPECT_TRUE(same_bits(double_of(want["objv"]), got.objv)) << "objv";
    }
    EXPECT_EQ(got.console, want["console"].get<std::string>());
  }
}

SFQP_FOR_EACH_INSTRUCTION_SET(ReferenceResults);

}  // namespace
}  // namespace sfqp::test
