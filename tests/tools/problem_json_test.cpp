// The JSON Lines library's writing side: exact and plain doubles read back to
// the bit, non-finite values are never lost, and parse errors point into the
// line rather than at "line 1".
#include "tools/io/problem_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/bits.h"

namespace sfqp::io {
namespace {

using test::same_bits;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ProblemJson, EveryNanIsWrittenOneWay) {
  EXPECT_EQ(hex_float(std::nan("")), "nan");
  EXPECT_EQ(hex_float(-std::nan("")), "nan");
  EXPECT_EQ(hex_float(std::nan("0x5")), "nan");
  EXPECT_EQ(hex_float(-0.0), "-0x0p+0");
  EXPECT_EQ(hex_float(1.5), "0x1.8p+0");
}

TEST(ProblemJson, ProblemLinesReadBackToTheBit) {
  std::array<double, 64> coupling{};
  for (std::size_t k = 0; k < coupling.size(); ++k) {
    coupling[k] =
        std::ldexp(1.0 + 0x1p-52 * static_cast<double>(k), static_cast<int>(k) * 31 - 1000);
  }
  coupling[5] = -0.0;
  coupling[6] = 0x1p-1074;  // the smallest subnormal
  coupling[7] = std::numeric_limits<double>::max();
  const std::array<double, 4> target = {0.1, -kInf, kInf, std::nan("")};

  for (const bool exact : {true, false}) {
    SCOPED_TRACE(exact ? "exact" : "plain");
    const auto line = problem_to_json("p", coupling, target, exact);
    EXPECT_EQ(line["target"][1], "-inf");
    EXPECT_EQ(line["target"][3], "nan");
    const auto parsed = parse_problem_line(line.dump());
    ASSERT_TRUE(std::holds_alternative<NamedProblem>(parsed)) << std::get<std::string>(parsed);
    const auto& problem = std::get<NamedProblem>(parsed);
    EXPECT_EQ(problem.name, "p");
    EXPECT_TRUE(same_bits(coupling, problem.problem.coupling));
    EXPECT_TRUE(same_bits(target, problem.problem.target));
    EXPECT_FALSE(problem.problem.settings);
  }
  EXPECT_FALSE(problem_to_json(std::nullopt, coupling, target, true).contains("name"));
}

TEST(ProblemJson, ReadSettingsAppliesOverridesOrSaysWhatIsWrong) {
  SolverSettings settings = api::default_settings();
  EXPECT_FALSE(read_settings(nlohmann::json::parse(R"({"iteration_limit": 40, "print_progress":
      false, "gap_tolerance": "0x1p-20"})"),
                             settings));
  EXPECT_EQ(settings.iteration_limit, 40);
  EXPECT_EQ(settings.print_progress, 0);
  EXPECT_TRUE(same_bits(0x1p-20, settings.gap_tolerance));
  EXPECT_EQ(read_settings(nlohmann::json::parse("[]"), settings),
            "\"settings\" must be an object of setting names and values");
  EXPECT_EQ(read_settings(nlohmann::json::parse(R"({"iteration_limit": "many"})"), settings),
            "setting \"iteration_limit\" is not a number");
}

TEST(ProblemJson, ParseErrorsNameTheColumnNotALineOfTheirOwn) {
  const auto parsed = parse_problem_line("{\"coupling\": [1, 2,, 3]}");
  ASSERT_TRUE(std::holds_alternative<std::string>(parsed));
  const std::string& error = std::get<std::string>(parsed);
  EXPECT_EQ(error.rfind("not valid JSON at column 20: syntax error while parsing value", 0), 0u)
      << error;
  EXPECT_EQ(error.find("line 1"), std::string::npos) << error;
}

}  // namespace
}  // namespace sfqp::io
