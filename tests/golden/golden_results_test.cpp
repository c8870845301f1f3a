// The project's golden file: a few hundred seeded and hand-written problems and
// their results from `sfqp solve --exact`. Every build (release, debug,
// sanitize, and the cross-build check) reproduces every value to the bit.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "tests/support/bits.h"
#include "tests/support/instruction_sets.h"
#include "tests/support/problems_file.h"

namespace sfqp::test {
namespace {

using nlohmann::json;

const std::vector<io::NamedProblem>& golden_problems() {
  static const auto problems = read_problems(data_path("golden/problems.jsonl"));
  return problems;
}

const std::vector<json>& golden_expected() {
  static const auto expected = read_json_lines(data_path("golden/expected.jsonl"));
  return expected;
}

// Compares one result field: doubles to the bit, everything else exactly.
void expect_same_field(const std::string& key, const json& want, const json& got) {
  SCOPED_TRACE(key);
  if (want.is_array()) {
    EXPECT_TRUE(same_bits(doubles_of(want), doubles_of(got)));
  } else if (key == "name" || key == "console" || want.is_null() || want.is_number()) {
    EXPECT_EQ(want, got);
  } else {
    EXPECT_TRUE(same_bits(double_of(want), double_of(got)));
  }
}

// In every build of the arithmetic.
class GoldenResults : public EachInstructionSet {};

TEST_P(GoldenResults, EveryValueMatchesToTheBit) {
  const auto& problems = golden_problems();
  const auto& expected = golden_expected();
  ASSERT_EQ(problems.size(), expected.size());
  for (std::size_t n = 0; n < problems.size(); ++n) {
    const json& want = expected[n];
    SCOPED_TRACE(want.value("name", "line " + std::to_string(n + 1)));
    api::Problem problem = problems[n].problem;
    problem.capture_console = true;
    const api::Result result = api::solve(problem);
    const json got = json::parse(
        io::result_to_json(problems[n].name, result, true, io::prints_anything(problem)).dump());
    ASSERT_EQ(want.size(), got.size()) << "fields: expected " << want.dump().substr(0, 200);
    for (const auto& [key, value] : want.items()) {
      ASSERT_TRUE(got.contains(key)) << key;
      expect_same_field(key, value, got[key]);
    }
  }
}

// The file keeps the cases that catch faults: every category, the iteration
// budget's edges, no iteration at all, printing, weights, non-finite input.
SFQP_FOR_EACH_INSTRUCTION_SET(GoldenResults);

TEST(GoldenFile, CoversTheCasesThatMatter) {
  const auto& problems = golden_problems();
  const auto& expected = golden_expected();
  ASSERT_GE(problems.size(), 300u);

  std::set<std::string> names;
  std::set<std::string> categories;
  int converged_at_24 = 0, converged_at_25 = 0, exhausted_at_25 = 0, beyond_budget = 0;
  int no_iteration = 0, with_console = 0, with_diagnostics = 0, with_weights = 0, with_nan = 0;
  for (std::size_t n = 0; n < expected.size(); ++n) {
    const json& result = expected[n];
    const std::string name = result.at("name");
    EXPECT_TRUE(names.insert(name).second) << "duplicate name " << name;
    categories.insert(name.substr(0, name.find('_')));
    const int iterations = result.at("iterations");
    const bool converged = result.at("converged") == 1;
    converged_at_24 += iterations == 24 && converged;
    converged_at_25 += iterations == 25 && converged;
    exhausted_at_25 += iterations == 25 && !converged;
    if (iterations > 24) {
      ++beyond_budget;
      EXPECT_TRUE(same_bits(std::vector<double>(16, 0.0), doubles_of(result.at("output1"))))
          << name << ": the block writes zeros above 24 iterations";
    }
    no_iteration += iterations == 0;
    const std::string console = result.value("console", "");
    with_console += !console.empty();
    with_diagnostics += console.find("Squared Frobenius") != std::string::npos;
    with_weights += problems[n].problem.error_weight != api::Problem{}.error_weight;
    with_nan += std::isnan(double_of(result.at("gap")));
  }
  for (const char* category : {"rotor16", "gaussian", "scaled", "degenerate", "limit"}) {
    EXPECT_TRUE(categories.count(category)) << category;
  }
  EXPECT_GE(converged_at_24, 1);
  EXPECT_GE(converged_at_25, 1);
  EXPECT_GE(exhausted_at_25, 10);
  EXPECT_GT(beyond_budget, exhausted_at_25 + converged_at_25) << "a limit above 25";
  EXPECT_GE(no_iteration, 2);
  EXPECT_GE(with_console, 20);
  EXPECT_GE(with_diagnostics, 2);
  EXPECT_GE(with_weights, 2);
  EXPECT_GE(with_nan, 2);
}

}  // namespace
}  // namespace sfqp::test
