// The API's checks of what a caller hands it, and where a solve's lines go:
// each setting takes its range and refuses the rest with a message saying
// what it must be, leaving the settings as they were; an unknown name is told
// the settings there are; weights are finite and from 0 up. Lines go to
// standard output when neither captured nor sent to a sink, and a capture
// stops at its limit and says so.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "api/core_api.h"
#include "tests/support/bits.h"

namespace sfqp::test {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct SettingCase {
  const char* name;
  std::vector<double> accepted;
  std::vector<double> refused;
  const char* message;  // what a refusal says, whole
};

std::vector<SettingCase> setting_cases() {
  return {
      {"residual_tolerance",
       {0.0, 1e-300, 5.0},
       {-1e-300, kNan, kInf},
       "must be a finite number from 0 up"},
      {"gap_tolerance", {0.0, 1e9}, {-1.0, -kInf}, "must be a finite number from 0 up"},
      {"initial_slack", {1e-300, 2.0}, {0.0, -1.0, kNan, kInf}, "must be a finite number above 0"},
      {"initial_dual", {3.0}, {0.0}, "must be a finite number above 0"},
      {"kkt_regularization", {1e-12}, {-1e-12}, "must be a finite number above 0"},
      {"iteration_limit",
       {-2147483648.0, 0.0, 1000.0},
       {1001.0, 2.5, -2147483649.0, kNan},
       "must be a whole number up to 1000 (0 or less: no iteration)"},
      {"refinement_passes",
       {0.0, 100.0},
       {-1.0, 101.0, 0.5},
       "must be a whole number from 0 to 100"},
      {"improved_start", {0.0, 1.0}, {2.0, -1.0, 0.5}, "must be 0 or 1 (a flag)"},
      {"print_progress", {1.0}, {kNan}, "must be 0 or 1 (a flag)"},
      {"print_refinement", {1.0}, {3.0}, "must be 0 or 1 (a flag)"},
      {"print_kkt_checks", {1.0}, {-0.5}, "must be 0 or 1 (a flag)"},
  };
}

// The bits of every field, so that a refusal is seen to change none of them.
std::string describe_settings(const SolverSettings& settings) {
  return ::testing::PrintToString(settings.residual_tolerance) + " " +
         ::testing::PrintToString(settings.gap_tolerance) + " " +
         ::testing::PrintToString(settings.initial_slack) + " " +
         ::testing::PrintToString(settings.initial_dual) + " " +
         ::testing::PrintToString(settings.kkt_regularization) + " " +
         std::to_string(settings.iteration_limit) + " " +
         std::to_string(settings.refinement_passes) + " " +
         std::to_string(settings.improved_start) + " " + std::to_string(settings.print_progress) +
         " " + std::to_string(settings.print_refinement) + " " +
         std::to_string(settings.print_kkt_checks);
}

TEST(ApiSettings, EachSettingTakesItsRangeAndRefusesTheRest) {
  for (const SettingCase& setting : setting_cases()) {
    for (const double value : setting.refused) {
      SolverSettings settings = api::default_settings();
      const std::string before = describe_settings(settings);
      const auto error = api::apply_setting(settings, setting.name, value);
      ASSERT_TRUE(error.has_value()) << setting.name << " = " << value;
      EXPECT_EQ(*error, setting.message) << setting.name << " = " << value;
      EXPECT_EQ(describe_settings(settings), before) << setting.name << " = " << value;
    }
    for (const double value : setting.accepted) {
      SolverSettings settings = api::default_settings();
      const auto error = api::apply_setting(settings, setting.name, value);
      EXPECT_FALSE(error.has_value()) << setting.name << " = " << value << ": " << *error;
    }
  }
  SolverSettings settings = api::default_settings();
  ASSERT_FALSE(api::apply_setting(settings, "iteration_limit", -7.0).has_value());
  EXPECT_EQ(settings.iteration_limit, -7);
  ASSERT_FALSE(api::apply_setting(settings, "initial_dual", 0.25).has_value());
  EXPECT_EQ(bits_of(settings.initial_dual), bits_of(0.25));
}

TEST(ApiSettings, AnUnknownNameIsToldTheSettings) {
  SolverSettings settings = api::default_settings();
  for (const char* name : {"", "iteration_limit ", "Iteration_limit", "max_iterations"}) {
    const auto error = api::apply_setting(settings, name, 1.0);
    ASSERT_TRUE(error.has_value()) << '"' << name << '"';
    EXPECT_EQ(*error,
              "is not a setting; the settings: residual_tolerance, gap_tolerance, initial_slack, "
              "initial_dual, kkt_regularization, iteration_limit, refinement_passes, "
              "improved_start, print_progress, print_refinement, print_kkt_checks");
  }
}

TEST(ApiSettings, WeightsAreFiniteFromZeroUp) {
  for (const double good : {0.0, -0.0, 5e-324, 4e4, 1.7e308}) {
    EXPECT_FALSE(api::check_weight(good).has_value()) << good;
  }
  for (const double bad : {-5e-324, -1.0, kNan, kInf, -kInf}) {
    EXPECT_EQ(api::check_weight(bad), "must be a finite number from 0 up") << bad;
  }
}

api::Problem printing_problem() {
  api::Problem problem;
  for (std::size_t i = 0; i < kEqualityCount; ++i) {
    problem.coupling[i + 4 * i] = 1.0;
    problem.target[i] = 0.5;
  }
  SolverSettings settings = api::default_settings();
  settings.print_progress = 1;
  problem.settings = settings;
  return problem;
}

TEST(ApiConsole, WithoutCaptureOrSinkTheLinesGoToStandardOutput) {
  const api::Problem problem = printing_problem();
  ::testing::internal::CaptureStdout();
  const api::Result result = api::solve(problem);
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_TRUE(result.converged);
  EXPECT_NE(printed.find("iter     objv"), std::string::npos) << printed;
  EXPECT_EQ(result.console, "");
}

// A solve that never converges (tolerances 0), with every print on and the
// most iterations and passes, prints far beyond the limit.
TEST(ApiConsole, ACaptureStopsAtItsLimitAndSaysSo) {
  api::Problem problem = printing_problem();
  SolverSettings settings = *problem.settings;
  settings.residual_tolerance = 0.0;
  settings.gap_tolerance = 0.0;
  settings.iteration_limit = static_cast<std::int32_t>(api::kMaxIterationLimit);
  settings.refinement_passes = static_cast<std::int32_t>(api::kMaxRefinementPasses);
  settings.print_refinement = 1;
  settings.print_kkt_checks = 1;
  problem.settings = settings;
  problem.capture_console = true;
  const std::string console = api::solve(problem).console;
  ASSERT_EQ(console.size(), api::kMaxConsoleBytes + api::kConsoleCutNote.size());
  EXPECT_EQ(console.substr(api::kMaxConsoleBytes), api::kConsoleCutNote);
  EXPECT_NE(console.find("iter     objv"), std::string::npos);
}

}  // namespace
}  // namespace sfqp::test
