// `sfqp envelope` end to end: every grid point is what `sfqp solve` gives for
// the same problem, the rows are the same bits on any number of jobs, and bad
// usage and bad input get their exit codes and leave no files.
#include "tools/envelope/envelope_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "tests/support/scratch_folder.h"
#include "tools/envelope/vehicle.h"
#include "tools/io/problem_json.h"
#include "tools/problems/problem_generator.h"
#include "tools/sfqp/command.h"
#include "tools/sfqp/solve_command.h"

namespace sfqp::tool {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int code = -1;
  std::string err;
};

class EnvelopeCommand : public test::ScratchFolderTest {
 protected:
  // Runs `sfqp envelope <arguments>` in this process, as main() does.
  static Outcome envelope(std::vector<std::string> arguments) {
    CLI::App app("sfqp", "sfqp");
    register_envelope_command(app);
    arguments.insert(arguments.begin(), {"sfqp", "envelope"});
    std::vector<const char*> argv;
    for (const auto& a : arguments) {
      argv.push_back(a.c_str());
    }
    std::ostringstream err;
    auto* saved = std::cerr.rdbuf(err.rdbuf());
    const int code = run(app, static_cast<int>(argv.size()), argv.data());
    std::cerr.rdbuf(saved);
    return {code, err.str()};
  }

  static std::string read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  static std::vector<nlohmann::json> json_lines(const std::string& text) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      lines.push_back(nlohmann::json::parse(line));
    }
    return lines;
  }
};

TEST_F(EnvelopeCommand, EveryPointIsWhatSolveGivesForTheSameProblem) {
  // Roll and pitch across the edge of reach: points solved, saturated and fallen back.
  const Outcome run = envelope({"--x", "roll:-50:50:11", "--y", "pitch:-48:48:9", "--exact",
                                "--quiet", "--jobs", "2", "--output", path("rows.jsonl")});
  ASSERT_EQ(run.code, exit_success) << run.err;
  const auto rows = json_lines(read(path("rows.jsonl")));
  ASSERT_EQ(rows.size(), 99u);

  const auto vehicle = std::get<envelope::Vehicle>(envelope::scenario_vehicle("manoeuvre"));
  std::string problems;
  for (const auto& row : rows) {
    envelope::Demand target{};
    for (std::size_t i = 0; i < kEqualityCount; ++i) {
      target[i] = std::get<double>(io::read_number(row[envelope::entry_name(i)]));
    }
    problems += io::problem_to_json(std::nullopt, vehicle.coupling, target, true).dump() + "\n";
  }
  std::istringstream in(problems);
  std::ostringstream solved, errors;
  ASSERT_EQ(solve_lines(in, "grid", true, solved, errors), exit_success) << errors.str();
  const auto results = json_lines(solved.str());
  ASSERT_EQ(results.size(), rows.size());

  int fallbacks = 0;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    SCOPED_TRACE("row " + std::to_string(k) + ": " + rows[k].dump());
    const int iterations = results[k]["iterations"].get<int>();
    EXPECT_EQ(rows[k]["iterations"].get<int>(), iterations);
    EXPECT_EQ(rows[k]["converged"], results[k]["converged"]);
    EXPECT_EQ(rows[k]["fell_back"].get<int>(), iterations > api::kBlockIterationBudget ? 1 : 0);
    std::array<double, kEffortCount> output1{};
    for (std::size_t j = 0; j < kEffortCount; ++j) {
      output1[j] = std::get<double>(io::read_number(results[k]["output1"][j]));
    }
    const auto achieved = problems::demand_of(vehicle.coupling, output1);
    for (std::size_t i = 0; i < kEqualityCount; ++i) {
      EXPECT_EQ(rows[k]["achieved"][i].get<std::string>(), io::hex_float(achieved[i]));
    }
    fallbacks += rows[k]["fell_back"].get<int>();
  }
  EXPECT_GT(fallbacks, 10);
  EXPECT_LT(fallbacks, 89);
}

TEST_F(EnvelopeCommand, RowsAndSummaryAreTheSameOnAnyNumberOfJobs) {
  for (const char* jobs : {"1", "3"}) {
    const Outcome run = envelope({"--vehicle", "manoeuvre@6", "--x", "roll:-50:50:23", "--y",
                                  "yaw:-3:3:7", "--exact", "--quiet", "--jobs", jobs, "--output",
                                  path(std::string("rows") + jobs + ".csv"), "--summary",
                                  path(std::string("summary") + jobs + ".json")});
    ASSERT_EQ(run.code, exit_success) << run.err;
  }
  EXPECT_EQ(read(path("rows1.csv")), read(path("rows3.csv")));
  EXPECT_EQ(read(path("summary1.json")), read(path("summary3.json")));
  const auto summary = nlohmann::json::parse(read(path("summary1.json")));
  EXPECT_EQ(summary["points"], 161);
  EXPECT_EQ(summary["vehicle"], "scenario manoeuvre at 6 s, 15 of 16 rotors working");
  EXPECT_EQ(summary["axes"][0]["axis"], "roll");
}

TEST_F(EnvelopeCommand, AProblemLineIsTheVehicleAndTheBaseDemand) {
  const auto vehicle = std::get<envelope::Vehicle>(envelope::scenario_vehicle("manoeuvre@6"));
  std::ofstream(path("vehicle.jsonl"))
      << "\n"
      << io::problem_to_json("rotor 3 failed", vehicle.coupling, vehicle.base, true).dump() << "\n";
  for (const std::string source : {"--problem", "--vehicle"}) {
    const Outcome run =
        envelope({source, source == "--problem" ? path("vehicle.jsonl") : "manoeuvre@6", "--x",
                  "pitch:-50:50:11", "--quiet", "--exact", "--output", path(source + ".csv")});
    ASSERT_EQ(run.code, exit_success) << run.err;
  }
  EXPECT_EQ(read(path("--problem.csv")), read(path("--vehicle.csv")));
}

TEST_F(EnvelopeCommand, SummaryOnStandardErrorAndAPicture) {
  const Outcome run = envelope({"--x", "yaw:-3:3:13", "--plot", path("yaw.png")});
  ASSERT_EQ(run.code, exit_success) << run.err;
  for (const char* text : {"points: 13\n", "fell back to zeros: 0 (0.0%)",
                           "yaw up from 0 N m: first fallback none to 3 N m, first beyond "
                           "reach 2.5 N m\n"}) {
    EXPECT_NE(run.err.find(text), std::string::npos) << text << " in\n" << run.err;
  }
  EXPECT_EQ(read(path("yaw.png")).substr(1, 3), "PNG");
}

TEST_F(EnvelopeCommand, PlotsAVehicleWhoseBaseDemandHasNegativeEntries) {
  // The plotting script had taken a base entry printed as -5.6e-05 for an
  // option and drawn nothing.
  auto vehicle = std::get<envelope::Vehicle>(envelope::scenario_vehicle("manoeuvre@6"));
  vehicle.base[1] = -5.6e-05;
  vehicle.base[2] = -1e-300;
  std::ofstream(path("vehicle.jsonl"))
      << io::problem_to_json(std::nullopt, vehicle.coupling, vehicle.base, true).dump() << "\n";
  for (const std::vector<std::string>& axes :
       {std::vector<std::string>{"--x", "roll:-50:50:5"},
        std::vector<std::string>{"--x", "yaw:-3:3:4", "--y", "pitch:-50:50:3"}}) {
    SCOPED_TRACE(testing::PrintToString(axes));
    std::vector<std::string> arguments = {"--problem", path("vehicle.jsonl"), "--quiet", "--plot",
                                          path("envelope.png")};
    arguments.insert(arguments.end(), axes.begin(), axes.end());
    const Outcome run = envelope(arguments);
    ASSERT_EQ(run.code, exit_success) << run.err;
    EXPECT_EQ(read(path("envelope.png")).substr(1, 3), "PNG");
    fs::remove(path("envelope.png"));
  }
}

TEST_F(EnvelopeCommand, BeyondReachIsAMissOfMoreThanATenthOfAPercentOfTheRowsReach) {
  // t0 takes commands 0..7 at 2 (reach 16), t1 commands 8..15 at 0.5 (reach
  // 4); t2 and t3 take none, so only the least tolerance applies to them.
  std::array<double, kCouplingCount> coupling{};
  for (std::size_t j = 0; j < kEffortCount; ++j) {
    coupling[(j < 8 ? 0 : 1) + kEqualityCount * j] = j < 8 ? 2.0 : 0.5;
  }
  const std::array<double, kEqualityCount> base{};
  std::ofstream(path("rows.jsonl"))
      << io::problem_to_json(std::nullopt, coupling, base, true).dump() << "\n";
  // 16.008 misses what the commands can give by 0.05% of the reach, 16.08 by 0.5%.
  const Outcome run =
      envelope({"--problem", path("rows.jsonl"), "--x", "t0:16.008:16.08:2", "--quiet", "--exact",
                "--output", path("points.jsonl"), "--summary", path("summary.json")});
  ASSERT_EQ(run.code, exit_success) << run.err;
  const auto summary = nlohmann::json::parse(read(path("summary.json")));
  const std::vector<double> tolerance = {16 * 1e-3, 4 * 1e-3, 1e-9, 1e-9};
  for (std::size_t i = 0; i < kEqualityCount; ++i) {
    EXPECT_EQ(std::get<double>(io::read_number(summary["reach_tolerance"][i])), tolerance[i]) << i;
  }
  const auto points = json_lines(read(path("points.jsonl")));
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[0]["beyond_reach"], 0) << points[0].dump();
  EXPECT_EQ(points[1]["beyond_reach"], 1) << points[1].dump();
  EXPECT_EQ(summary["beyond_reach"], 1);
}

TEST_F(EnvelopeCommand, APointThatTakesTheWholeIterationBudgetDoesNotFallBack) {
  // gaussian_51 takes exactly the block's 24 iterations: the block writes its
  // commands; one more would have been a fallback.
  std::ifstream golden(std::string(SFQP_TEST_DATA_DIR) + "/golden/problems.jsonl");
  std::string line;
  while (std::getline(golden, line) && line.find("\"gaussian_51\"") == std::string::npos) {
  }
  ASSERT_FALSE(line.empty());
  std::ofstream(path("gaussian_51.jsonl")) << line << "\n";
  const std::string base_t3 = nlohmann::json::parse(line)["target"][3].get<std::string>();
  const Outcome run = envelope({"--problem", path("gaussian_51.jsonl"), "--x",
                                "t3:" + base_t3 + ":1e3:2", "--quiet", "--exact", "--output",
                                path("points.jsonl"), "--summary", path("summary.json")});
  ASSERT_EQ(run.code, exit_success) << run.err;
  const auto base_point = json_lines(read(path("points.jsonl"))).at(0);
  EXPECT_EQ(base_point["iterations"], api::kBlockIterationBudget) << base_point.dump();
  EXPECT_EQ(base_point["fell_back"], 0) << base_point.dump();
  EXPECT_EQ(base_point["converged"], 1) << base_point.dump();
}

TEST_F(EnvelopeCommand, BadUsageExitsWithTwoAndBadInputWithOneWritingNothing) {
  const std::array<double, kCouplingCount> coupling{};
  const std::array<double, kEqualityCount> target{};
  const auto problem = io::problem_to_json(std::nullopt, coupling, target, false);
  std::ofstream(path("two.jsonl")) << problem.dump() << "\n\n" << problem.dump() << "\n";
  auto with_settings = problem;
  with_settings["settings"] = {{"iteration_limit", 50}};
  std::ofstream(path("settings.jsonl")) << with_settings.dump() << "\n";
  struct Case {
    std::vector<std::string> arguments;
    int code;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{}, exit_bad_usage, "--x is required"},
      {{"--x", "spin:0:1:5"}, exit_bad_usage, "unknown axis \"spin\""},
      {{"--x", "roll:0:1:1001"}, exit_bad_usage, "COUNT must be a whole number from 2 to 1000"},
      {{"--x", "roll:0:1:1"}, exit_bad_usage, "from 2 to 1000"},
      {{"--x", "roll:0:nan:5"}, exit_bad_usage, "FROM and TO must be numbers"},
      {{"--x", "roll:1:1:5"}, exit_bad_usage, "FROM and TO must differ"},
      {{"--x", "roll:0:1"}, exit_bad_usage, "must be AXIS:FROM:TO:COUNT"},
      {{"--x", "roll:0:1:5", "--y", "t1:0:1:5"}, exit_bad_usage, "the same demand entry"},
      {{"--x", "roll:0:1:5", "--vehicle", "glider"}, exit_bad_usage, "unknown vehicle \"glider\""},
      {{"--x", "roll:0:1:5", "--vehicle", "hover@2"}, exit_bad_usage, "below 2 (the scenario"},
      {{"--x", "roll:0:1:5", "--vehicle", "hover", "--problem", path("two.jsonl")},
       exit_bad_usage,
       "excludes"},
      {{"--x", "roll:0:1:5", "--output", path("rows.txt")}, exit_bad_usage, ".csv or .jsonl"},
      {{"--x", "roll:0:1:5", "--plot", path("e.jpg")}, exit_bad_usage, "must end in .png"},
      {{"--x", "roll:0:1:5", "--jobs", "0"}, exit_bad_usage, "--jobs"},
      {{"--x", "roll:0:1:5", "--problem", path("none.jsonl")}, exit_bad_input, "cannot open"},
      {{"--x", "roll:0:1:5", "--problem", path("two.jsonl"), "--output", path("rows.csv")},
       exit_bad_input,
       "two.jsonl:3: a second problem"},
      {{"--x", "roll:0:1:5", "--problem", path("settings.jsonl")},
       exit_bad_input,
       "settings.jsonl:1: \"settings\", and weights other than the block's, do not apply"},
      {{"--x", "roll:0:1:5", "--output", path("missing/rows.csv")},
       exit_cannot_write,
       "--output " + path("missing/rows.csv")},
      {{"--x", "roll:0:1:5", "--output", path("same.csv"), "--summary", path("same.csv")},
       exit_cannot_write,
       "same.csv"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    const Outcome run = envelope(c.arguments);
    EXPECT_EQ(run.code, c.code) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace sfqp::tool
