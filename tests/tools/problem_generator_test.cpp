// The problem generator: problems are a pure function of (category, seed,
// index), the golden problems come back to the bit, and every category and
// variant has the shape it promises.
#include "tools/problems/problem_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "api/core_api.h"
#include "tests/support/bits.h"
#include "tests/support/problems_file.h"

namespace sfqp::problems {
namespace {

using test::same_bits;

constexpr std::uint64_t kGoldenSeed = 2026;  // scripts/regenerate-golden.sh

double row_reach(const GeneratedProblem& p, std::size_t row) {
  double reach = 0.0;
  for (std::size_t j = 0; j < 16; ++j) {
    reach += std::fabs(p.coupling[row + 4 * j]);
  }
  return reach;
}

bool out_of_reach(const GeneratedProblem& p) {
  for (std::size_t i = 0; i < 4; ++i) {
    if (std::fabs(p.target[i]) > row_reach(p, i)) {
      return true;
    }
  }
  return false;
}

api::Result solve(const GeneratedProblem& p) {
  api::Problem problem;
  problem.coupling = p.coupling;
  problem.target = p.target;
  return api::solve(problem);
}

double largest_error(const api::Result& result) {
  double largest = 0.0;
  for (double e : result.e) {
    largest = std::max(largest, std::fabs(e));
  }
  return largest;
}

TEST(ProblemGenerator, IsAPureFunctionOfCategorySeedAndIndex) {
  for (const Category category : kAllCategories) {
    SCOPED_TRACE(std::string(category_name(category)));
    const auto range = generate_range(category, 5, 10, 4);
    ASSERT_EQ(range.size(), 4u);
    const auto again = generate(category, 5, 12);
    EXPECT_EQ(again.name, std::string(category_name(category)) + "_12");
    EXPECT_EQ(range[2].name, again.name);
    EXPECT_TRUE(same_bits(range[2].coupling, again.coupling));
    EXPECT_TRUE(same_bits(range[2].target, again.target));
    EXPECT_NE(generate(category, 6, 12).target, again.target) << "another seed";
    EXPECT_NE(range[1].target, range[2].target) << "another index";
  }
}

// The golden problems were written by `sfqp generate --exact`: on any platform
// the generator must give them back to the bit.
TEST(ProblemGenerator, GivesBackTheGoldenProblemsToTheBit) {
  int regenerated = 0;
  for (const auto& golden : test::read_problems(test::data_path("golden/problems.jsonl"))) {
    const std::string& name = golden.name.value();
    const std::size_t underscore = name.find('_');
    const auto category = category_from_name(name.substr(0, underscore));
    if (!category) {
      continue;  // written by hand
    }
    std::uint64_t index = 0;
    const char* digits = name.data() + underscore + 1;
    ASSERT_EQ(std::from_chars(digits, name.data() + name.size(), index).ec, std::errc()) << name;
    const auto problem = generate(*category, kGoldenSeed, index);
    SCOPED_TRACE(name);
    EXPECT_TRUE(same_bits(problem.coupling, golden.problem.coupling));
    EXPECT_TRUE(same_bits(problem.target, golden.problem.target));
    ++regenerated;
  }
  EXPECT_GE(regenerated, 280);
}

TEST(ProblemGenerator, CategoryNamesRoundTrip) {
  for (const Category category : kAllCategories) {
    EXPECT_EQ(category_from_name(category_name(category)), category);
  }
  EXPECT_FALSE(category_from_name("rotor"));
  EXPECT_FALSE(category_from_name(""));
}

TEST(RotorRing, RowsAreThrustRollPitchAndAlternatingYaw) {
  const auto c = rotor16_coupling({0.5, 2.0, 0.25});
  double roll_sum = 0.0, pitch_sum = 0.0;
  for (std::size_t j = 0; j < 16; ++j) {
    SCOPED_TRACE(j);
    EXPECT_TRUE(same_bits(2.0, c[4 * j]));
    EXPECT_TRUE(same_bits(j % 2 == 0 ? 0.25 : -0.25, c[3 + 4 * j]));
    EXPECT_NEAR(c[1 + 4 * j] * c[1 + 4 * j] + c[2 + 4 * j] * c[2 + 4 * j], 1.0, 1e-15)
        << "moment arm k_T L";
    roll_sum += c[1 + 4 * j];
    pitch_sum += c[2 + 4 * j];
  }
  EXPECT_NEAR(roll_sum, 0.0, 1e-15);
  EXPECT_NEAR(pitch_sum, 0.0, 1e-15);
  // Rotor 0 on the x axis pitches, rotor 4 (90 degrees) rolls; zeros carry no sign.
  EXPECT_TRUE(same_bits(0.0, c[1]));
  EXPECT_TRUE(same_bits(-1.0, c[2]));
  EXPECT_TRUE(same_bits(1.0, c[1 + 16]));
  EXPECT_TRUE(same_bits(0.0, c[2 + 16]));
  EXPECT_TRUE(same_bits(1.0, c[2 + 32]));
}

TEST(ProblemGenerator, ReachableDemandsAreMetAndSaturatedOnesAreNot) {
  for (std::uint64_t index = 0; index < 16; ++index) {
    SCOPED_TRACE(index);
    const auto rotor = generate(Category::rotor16, 3, index);
    const bool rotor_saturated = index % 4 >= 2;
    EXPECT_EQ(out_of_reach(rotor), rotor_saturated);
    const auto rotor_result = solve(rotor);
    EXPECT_TRUE(rotor_result.converged);
    if (rotor_saturated) {
      EXPECT_GT(largest_error(rotor_result), 1e-2);
    } else {
      EXPECT_LT(largest_error(rotor_result), 1e-3);
    }
    const auto gaussian = generate(Category::gaussian, 3, index);
    EXPECT_EQ(out_of_reach(gaussian), index % 2 == 1);
    if (index % 2 == 0) {
      EXPECT_LT(largest_error(solve(gaussian)), 1e-3);
    }
  }
}

TEST(ProblemGenerator, ScaledProblemsCoverEveryScaleWholeAndPerRow) {
  for (std::uint64_t index = 0; index < 24; ++index) {
    SCOPED_TRACE(index);
    const auto p = generate(Category::scaled, 9, index);
    const double scale = std::pow(10.0, static_cast<double>(index % 8) - 4.0);
    double largest = 0.0;
    for (double value : p.coupling) {
      largest = std::max(largest, std::fabs(value));
    }
    if (index / 8 == 2) {  // rows scaled on their own: somewhere from 1e-4 to 1e3
      EXPECT_GE(largest, 1e-5);
      EXPECT_LE(largest, 1e4);
    } else {
      EXPECT_GT(largest, 0.5 * scale);
      EXPECT_LT(largest, 6.0 * scale);
    }
    EXPECT_EQ(out_of_reach(p), index / 8 == 1);
  }
}

TEST(ProblemGenerator, DegenerateVariantsHaveTheirShape) {
  for (std::uint64_t index = 0; index < 12; ++index) {
    SCOPED_TRACE(index);
    const auto p = generate(Category::degenerate, 4, index);
    const auto column = [&p](std::size_t j) {
      return std::array<double, 4>{p.coupling[4 * j], p.coupling[4 * j + 1], p.coupling[4 * j + 2],
                                   p.coupling[4 * j + 3]};
    };
    switch (index % 6) {
      case 0:  // rank 1: every 2x2 minor of columns 0 and j vanishes
        for (std::size_t j = 1; j < 16; ++j) {
          const auto a = column(0), b = column(j);
          EXPECT_NEAR(a[0] * b[1] - a[1] * b[0], 0.0, 1e-12);
          EXPECT_NEAR(a[2] * b[3] - a[3] * b[2], 0.0, 1e-12);
        }
        break;
      case 3: {
        int zero_columns = 0;
        for (std::size_t j = 0; j < 16; ++j) {
          zero_columns += column(j) == std::array<double, 4>{};
        }
        EXPECT_GE(zero_columns, 4);
        EXPECT_LE(zero_columns, 12);
        break;
      }
      case 4: {
        int zero_rows = 0, equal_row_pairs = 0;
        for (std::size_t r = 0; r < 4; ++r) {
          bool zero = true;
          for (std::size_t j = 0; j < 16; ++j) {
            zero = zero && std::fpclassify(p.coupling[r + 4 * j]) == FP_ZERO;
          }
          zero_rows += zero;
          for (std::size_t other = r + 1; other < 4; ++other) {
            bool equal = true;
            for (std::size_t j = 0; j < 16; ++j) {
              equal = equal && same_bits(p.coupling[r + 4 * j], p.coupling[other + 4 * j]);
            }
            equal_row_pairs += equal && !zero;
          }
        }
        EXPECT_EQ(zero_rows, 1);
        EXPECT_EQ(equal_row_pairs, 1);
        break;
      }
      case 5:
        EXPECT_EQ(p.coupling, (std::array<double, 64>{}));
        break;
      default:
        break;
    }
    EXPECT_TRUE(solve(p).converged);
  }
}

TEST(ProblemGenerator, LimitProblemsRunToTheIterationLimit) {
  for (const std::uint64_t seed : {1u, 2u, 2026u}) {
    for (const auto& p : generate_range(Category::limit, seed, 0, 12)) {
      SCOPED_TRACE(p.name);
      const auto result = solve(p);
      EXPECT_EQ(result.iterations, 25);
      EXPECT_FALSE(result.converged);
      EXPECT_TRUE(out_of_reach(p));
    }
  }
}

}  // namespace
}  // namespace sfqp::problems
