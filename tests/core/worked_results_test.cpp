// The interior-point iteration on problems whose results are known by hand:
// iteration counts, answers and the progress table, from both starting points.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "api/core_api.h"

namespace sfqp::test {
namespace {

api::Problem diagonal_problem(double target) {
  api::Problem problem;
  for (int i = 0; i < 4; ++i) {
    problem.coupling[static_cast<std::size_t>(i + 4 * i)] = 1.0;
    problem.target[static_cast<std::size_t>(i)] = target;
  }
  return problem;
}

api::Problem with_settings(api::Problem problem, int improved_start, int print_progress) {
  SolverSettings settings = api::default_settings();
  settings.improved_start = improved_start;
  settings.print_progress = print_progress;
  problem.settings = settings;
  problem.capture_console = true;
  return problem;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

// The last column of each progress row is the step taken.
std::vector<std::string> step_column(const std::string& console) {
  std::vector<std::string> steps;
  const auto lines = lines_of(console);
  for (std::size_t n = 1; n < lines.size(); ++n) {
    steps.push_back(lines[n].substr(lines[n].rfind(' ') + 1));
  }
  return steps;
}

TEST(WorkedResults, ZeroProblemStopsInsideTheBoxOnceTheGapIsSmall) {
  const auto improved = api::solve(api::Problem{});
  EXPECT_EQ(improved.iterations, 6);
  EXPECT_TRUE(improved.converged);
  for (double u : improved.u) {
    EXPECT_NEAR(u, 1.520094e-3, 5e-10);
  }
  for (double e : improved.e) {
    EXPECT_EQ(e, 0.0);
  }

  const auto plain = api::solve(with_settings(api::Problem{}, 0, 0));
  EXPECT_EQ(plain.iterations, 7);
  for (double u : plain.u) {
    EXPECT_NEAR(u, 8.02e-4, 5e-7);
  }
}

TEST(WorkedResults, ZeroProblemProgressTable) {
  const auto result = api::solve(with_settings(api::Problem{}, 1, 1));
  EXPECT_EQ(result.console,
            "iter     objv        gap       |Ax-b|    |Gx+s-h|    step\n"
            "  1    1.240e-01   1.71e+01   0.00e+00   1.54e-14   1.0000\n"
            "  2    7.832e-02   3.25e-01   0.00e+00   1.71e-13   0.9814\n"
            "  3    1.252e-02   2.67e-02   0.00e+00   5.33e-15   0.9844\n"
            "  4    1.798e-03   3.78e-03   0.00e+00   1.20e-15   1.0000\n"
            "  5    2.579e-04   5.42e-04   0.00e+00   6.07e-16   1.0000\n"
            "  6    3.697e-05   7.76e-05   0.00e+00   1.49e-16   1.0000\n");
}

TEST(WorkedResults, ReachableDiagonalDemand) {
  const auto result = api::solve(diagonal_problem(0.5));
  EXPECT_EQ(result.iterations, 6);
  for (std::size_t j = 0; j < 16; ++j) {
    EXPECT_NEAR(result.u[j], j < 4 ? 0.4999875 : 1.508209e-3, 5e-10) << "u " << j;
  }
  for (double e : result.e) {
    EXPECT_NEAR(e, -1.249969e-5, 5e-12);
  }
  EXPECT_NEAR(result.objv, 1.000002297, 5e-10);
}

TEST(WorkedResults, SaturatedDiagonalDemandLeavesTheRestToTheErrorTerms) {
  const auto improved = api::solve(with_settings(diagonal_problem(10.0), 1, 1));
  EXPECT_EQ(improved.iterations, 15);
  for (std::size_t j = 0; j < 4; ++j) {
    EXPECT_NEAR(improved.u[j], 1.0, 1e-6);
    EXPECT_NEAR(improved.e[j], -9.0, 1e-6);
  }
  EXPECT_NEAR(improved.objv, 12960004.0, 0.5);
  const auto steps = step_column(improved.console);
  ASSERT_EQ(steps.size(), 15u);
  EXPECT_EQ(steps.front(), "0.0991");
  for (std::size_t k = 11; k < steps.size(); ++k) {
    EXPECT_EQ(steps[k], "1.0000") << "iteration " << k + 1;
  }

  EXPECT_EQ(api::solve(with_settings(diagonal_problem(10.0), 0, 0)).iterations, 16);
}

TEST(WorkedResults, IterationLimitBoundsTheSolve) {
  api::Problem problem = with_settings(diagonal_problem(10.0), 1, 1);

  problem.settings->iteration_limit = 0;
  const auto none = api::solve(problem);
  EXPECT_EQ(none.iterations, 0);
  EXPECT_FALSE(none.converged);
  EXPECT_EQ(lines_of(none.console).size(), 1u) << "only the header";

  // Converging on the last allowed iteration returns the limit, like not
  // converging at all; only converged tells them apart.
  problem.settings->iteration_limit = 15;
  const auto last = api::solve(problem);
  EXPECT_EQ(last.iterations, 15);
  EXPECT_TRUE(last.converged);
  problem.settings->iteration_limit = 14;
  const auto short_of_it = api::solve(problem);
  EXPECT_EQ(short_of_it.iterations, 14);
  EXPECT_FALSE(short_of_it.converged);
  EXPECT_EQ(short_of_it.output1, short_of_it.u) << "within the block's budget, unconverged or not";
}

TEST(WorkedResults, GapAtTheToleranceDoesNotConverge) {
  api::Problem problem = with_settings(api::Problem{}, 1, 0);
  const auto reference = api::solve(problem);
  ASSERT_EQ(reference.iterations, 6);
  problem.settings->gap_tolerance = reference.gap;
  const auto strict = api::solve(problem);
  EXPECT_GT(strict.iterations, 6);
  EXPECT_TRUE(strict.converged);
}

}  // namespace
}  // namespace sfqp::test
