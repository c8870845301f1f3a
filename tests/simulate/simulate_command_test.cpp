// `sfqp simulate` end to end, through the built module: a recorded file
// replayed gives the bits `sfqp solve` gives for the same problems, and every
// kind of bad usage and bad input gets its exit code and leaves no files.
#include "tools/simulate/simulate_command.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "api/core_api.h"
#include "tests/support/bits.h"
#include "tests/support/problems_file.h"
#include "tests/support/scratch_folder.h"
#include "tools/io/problem_json.h"
#include "tools/sfqp/command.h"
#include "tools/sfqp/solve_command.h"
#include "tools/simulate/recorded_input.h"

namespace sfqp::tool {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int code = -1;
  std::string out;
  std::string err;
};

// Runs the tool in this process, as main() does, capturing what it prints.
Outcome run_sfqp(const std::vector<std::string>& arguments) {
  CLI::App app("sfqp", "sfqp");
  app.require_subcommand(1);
  register_solve_command(app);
  register_simulate_command(app);
  std::vector<const char*> argv = {"sfqp"};
  for (const auto& a : arguments) {
    argv.push_back(a.c_str());
  }
  std::ostringstream out, err;
  auto* saved_out = std::cout.rdbuf(out.rdbuf());
  auto* saved_err = std::cerr.rdbuf(err.rdbuf());
  const int code = run(app, static_cast<int>(argv.size()), argv.data());
  std::cout.rdbuf(saved_out);
  std::cerr.rdbuf(saved_err);
  return {code, out.str(), err.str()};
}

class SimulateCommand : public test::ScratchFolderTest {
 protected:
  Outcome simulate(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), {"simulate", "--module", SFQP_TEST_MODULE});
    return run_sfqp(arguments);
  }

  // The reference problems the block can take: no settings, no weights.
  std::vector<io::NamedProblem> block_problems() const {
    std::vector<io::NamedProblem> problems;
    for (auto& p : test::read_problems(test::data_path("reference/problems.jsonl"))) {
      if (!p.problem.settings) {
        problems.push_back(std::move(p));
      }
    }
    return problems;
  }

  void write_problems_jsonl(const std::vector<io::NamedProblem>& problems,
                            const std::string& file) const {
    std::ofstream out(file);
    for (const auto& p : problems) {
      nlohmann::json line;
      line["name"] = p.name.value_or("");
      for (double v : p.problem.coupling) {
        line["coupling"].push_back(io::hex_float(v));
      }
      for (double v : p.problem.target) {
        line["target"].push_back(io::hex_float(v));
      }
      out << line.dump() << "\n";
    }
  }

  void write_problems_csv(const std::vector<io::NamedProblem>& problems,
                          const std::string& file) const {
    std::ofstream out(file);
    std::string header;
    for (const auto& name : simulate::csv_input_columns()) {
      header += (header.empty() ? "" : ",") + name;
    }
    out << header << "\n";
    for (const auto& p : problems) {
      std::string row;
      for (double v : p.problem.coupling) {
        row += row.empty() ? "" : ",";
        row += io::hex_float(v);
      }
      for (double v : p.problem.target) {
        row += ',';
        row += io::hex_float(v);
      }
      out << row << "\n";
    }
  }

  static std::vector<std::string> lines_of(const std::string& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      lines.push_back(line);
    }
    return lines;
  }
};

TEST_F(SimulateCommand, AReplayedRecordingGivesTheBitsOfSolve) {
  const auto problems = block_problems();
  ASSERT_GT(problems.size(), 30u);
  write_problems_jsonl(problems, path("problems.jsonl"));
  write_problems_csv(problems, path("recorded.csv"));

  const Outcome solved = run_sfqp({"solve", "--exact", path("problems.jsonl")});
  ASSERT_EQ(solved.code, 0) << solved.err;
  const Outcome from_csv = simulate(
      {"--input", path("recorded.csv"), "--exact", "--quiet", "--output", path("a.jsonl")});
  ASSERT_EQ(from_csv.code, 0) << from_csv.err;
  // The problems file itself replays too, into CSV.
  const Outcome from_jsonl = simulate(
      {"--input", path("problems.jsonl"), "--exact", "--quiet", "--output", path("b.csv")});
  ASSERT_EQ(from_jsonl.code, 0) << from_jsonl.err;

  std::istringstream results(solved.out);
  const auto replayed = lines_of(path("a.jsonl"));
  const auto replayed_csv = lines_of(path("b.csv"));
  ASSERT_EQ(replayed.size(), problems.size());
  ASSERT_EQ(replayed_csv.size(), problems.size() + 1);  // and the header
  std::string line;
  for (std::size_t k = 0; k < problems.size(); ++k) {
    ASSERT_TRUE(std::getline(results, line));
    const auto expected = test::doubles_of(nlohmann::json::parse(line)["output1"]);
    const auto row = nlohmann::json::parse(replayed[k]);
    EXPECT_EQ(row["step"], k);
    EXPECT_TRUE(test::same_bits(expected, test::doubles_of(row["output1"]))) << *problems[k].name;
    std::vector<double> csv_values;
    std::istringstream fields(replayed_csv[k + 1]);
    for (std::string field; std::getline(fields, field, ',');) {
      csv_values.push_back(std::strtod(field.c_str(), nullptr));
    }
    ASSERT_EQ(csv_values.size(), 18u);
    EXPECT_TRUE(
        test::same_bits(expected, std::vector<double>(csv_values.begin() + 2, csv_values.end())))
        << *problems[k].name;
  }
}

TEST_F(SimulateCommand, ScenarioRunWritesOutputSummaryAndAgreementWithTheCore) {
  const Outcome run = simulate({"--scenario", "hover", "--diagnose", "--output", path("run.csv"),
                                "--summary", path("summary.json")});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.err.find("sfqp simulate: scenario hover, 2000 steps"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("bit-identical at all 2000 steps"), std::string::npos) << run.err;
  const auto rows = lines_of(path("run.csv"));
  ASSERT_EQ(rows.size(), 2001u);
  EXPECT_NE(rows[0].find(",iterations,converged,objv,gap,"), std::string::npos);
  std::ifstream summary_file(path("summary.json"));
  const auto summary = nlohmann::json::parse(summary_file);
  EXPECT_EQ(summary["steps"], 2000);
  EXPECT_EQ(summary["fallbacks"], 0);
  EXPECT_EQ(summary["bit_identical_steps"], 2000);
  EXPECT_GT(summary["host_step_seconds"]["median"].get<double>(), 0.0);
  EXPECT_LT(summary["largest_allocation_error"]["value"].get<double>(), 1e-2);
}

TEST_F(SimulateCommand, QuietPrintsNothingAndPlotWritesAPicture) {
  const Outcome run = simulate({"--scenario", "hover", "--quiet", "--plot", path("run.png")});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  std::ifstream png(path("run.png"), std::ios::binary);
  char magic[4] = {};
  png.read(magic, 4);
  EXPECT_EQ(std::string(magic + 1, 3), "PNG");
}

TEST_F(SimulateCommand, BadUsageExitsWithTwoBeforeAnythingRuns) {
  std::ofstream(path("steps.csv")) << "irrelevant\n";
  const std::vector<std::vector<std::string>> usages = {
      {"--no-such-option"},
      {"--output", path("run.txt")},
      {"--plot", path("run.jpg")},
      {"--scenario", "no-such-scenario"},
      {"--period", "0.01"},
      {"--input", path("steps.csv"), "--scenario", "hover"},
      {"--input", path("steps.csv"), "--period", "-1"},
      {"--input", path("steps.csv"), "--period", "nan"},
      {"--input"},
  };
  for (const auto& usage : usages) {
    const Outcome run = simulate(usage);
    EXPECT_EQ(run.code, exit_bad_usage) << usage[0] << ": " << run.err;
  }
  EXPECT_FALSE(fs::exists(path("run.txt")));
}

TEST_F(SimulateCommand, BadInputExitsWithOneAndWritesNothing) {
  const auto problems = block_problems();
  write_problems_csv({problems.begin(), problems.begin() + 3}, path("recorded.csv"));
  std::ofstream(path("recorded.csv"), std::ios::app) << "1,2,3\n";
  std::ofstream(path("earlier.csv")) << "an earlier run\n";

  const Outcome malformed =
      simulate({"--input", path("recorded.csv"), "--output", path("earlier.csv"), "--summary",
                path("summary.json"), "--plot", path("run.png")});
  EXPECT_EQ(malformed.code, exit_bad_input);
  EXPECT_NE(
      malformed.err.find(path("recorded.csv") +
                         ": line 5 has 3 columns, expected 68: column 4 (c_r3_c0) is missing"),
      std::string::npos)
      << malformed.err;
  EXPECT_EQ(lines_of(path("earlier.csv")), std::vector<std::string>{"an earlier run"});
  EXPECT_FALSE(fs::exists(path("summary.json")));
  EXPECT_FALSE(fs::exists(path("run.png")));

  const Outcome missing = simulate({"--input", path("missing.jsonl")});
  EXPECT_EQ(missing.code, exit_bad_input);
  EXPECT_NE(missing.err.find("cannot open"), std::string::npos);

  const Outcome no_module = run_sfqp({"simulate", "--scenario", "hover", "--module",
                                      path("no_module.mexa64"), "--output", path("run.csv")});
  EXPECT_EQ(no_module.code, exit_bad_input);
  EXPECT_NE(no_module.err.find("--module " + path("no_module.mexa64") + ": no such file"),
            std::string::npos)
      << no_module.err;
  EXPECT_FALSE(fs::exists(path("run.csv")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

// Every output path is checked before the run: a bad one stops it with the
// cannot-write code, and no file is written or replaced.
TEST_F(SimulateCommand, BadOutputPathsStopTheRunBeforeAnythingIsWritten) {
  const auto problems = block_problems();
  write_problems_jsonl({problems.begin(), problems.begin() + 2}, path("recorded.jsonl"));
  std::ofstream(path("earlier.csv")) << "an earlier run\n";
  fs::create_directories(path("folder.csv"));
  fs::create_symlink("/dev/null", path("device.csv"));
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"--output", path("earlier.csv"), "--plot", path("run.png"), "--summary",
        path("missing/summary.json")},
       "--summary " + path("missing/summary.json") + ": the folder " + path("missing") +
           " does not exist (nothing was run or written)"},
      {{"--plot", path("run.png"), "--output", path("folder.csv")},
       "--output " + path("folder.csv") + ": is a directory"},
      {{"--output", path("earlier.csv"), "--summary", path("earlier.csv")},
       "--summary " + path("earlier.csv") + ": is also the file of --output"},
      {{"--input", path("recorded.jsonl"), "--output", path("recorded.jsonl")},
       "--output " + path("recorded.jsonl") + ": is the input " + path("recorded.jsonl")},
      {{"--output", path("device.csv")},
       "--output " + path("device.csv") + ": is not a regular file"},
      {{"--plot", path("no folder/run.png")},
       "--plot " + path("no folder/run.png") + ": the folder " + path("no folder") +
           " does not exist"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    auto arguments = c.arguments;
    if (arguments[0] != "--input") {
      arguments.insert(arguments.begin(), {"--scenario", "hover"});
    }
    const Outcome run = simulate(arguments);
    EXPECT_EQ(run.code, exit_cannot_write);
    EXPECT_EQ(run.err.rfind("sfqp simulate: " + c.message, 0), 0u) << run.err;
    EXPECT_EQ(run.err.find("Traceback"), std::string::npos);
    EXPECT_EQ(lines_of(path("earlier.csv")), std::vector<std::string>{"an earlier run"});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 4);
  }
}

// A module named without a folder is the file in the working directory, not a
// name for the loader's library search.
TEST_F(SimulateCommand, AModuleNamedWithoutAFolderIsTheFileHere) {
  fs::copy_file(SFQP_TEST_MODULE, path("notmod.so"));
  const fs::path saved = fs::current_path();
  fs::current_path(dir_);
  const Outcome here =
      run_sfqp({"simulate", "--scenario", "hover", "--quiet", "--module", "notmod.so"});
  const Outcome missing =
      run_sfqp({"simulate", "--scenario", "hover", "--quiet", "--module", "nomod.so"});
  fs::current_path(saved);
  EXPECT_EQ(here.code, exit_success) << here.err;
  EXPECT_EQ(missing.code, exit_bad_input);
  EXPECT_EQ(missing.err, "sfqp simulate: --module nomod.so: no such file\n");
}

#if !defined(_WIN32)
// A module that is not a regular file is refused before anything is read from
// it: a FIFO with no writer would hold the run for ever.
TEST_F(SimulateCommand, AModuleThatIsNotARegularFileIsRefusedAtOnce) {
  ASSERT_EQ(::mkfifo(path("module.fifo").c_str(), 0600), 0);
  for (const std::string& module : {path("module.fifo"), std::string("/dev/zero")}) {
    const Outcome run =
        run_sfqp({"simulate", "--scenario", "hover", "--quiet", "--module", module});
    EXPECT_EQ(run.code, exit_bad_input);
    EXPECT_EQ(run.err,
              "sfqp simulate: --module " + module + ": is not a regular file, so not a module\n");
  }
}
#endif

// The summary's iteration line against iteration counts the core API gives for
// the same steps: four steps of four different counts, so that the median's
// rank (the lower of the middle two) is pinned down.
TEST_F(SimulateCommand, SummaryPrintsTheMinimumMedianAndMaximumIterations) {
  std::map<std::int32_t, io::NamedProblem> by_iterations;
  for (auto& p : block_problems()) {
    by_iterations.emplace(api::solve(p.problem).iterations, p);
  }
  ASSERT_GE(by_iterations.size(), 4u);
  std::vector<io::NamedProblem> steps;
  std::vector<std::int32_t> counts;
  for (auto it = by_iterations.rbegin(); steps.size() < 4; ++it) {
    steps.push_back(it->second);  // the order of the steps is not the order of the counts
    counts.push_back(it->first);
  }
  std::swap(steps[0], steps[2]);
  std::sort(counts.begin(), counts.end());
  write_problems_jsonl(steps, path("recorded.jsonl"));
  const Outcome run = simulate({"--input", path("recorded.jsonl")});
  ASSERT_EQ(run.code, 0) << run.err;
  const std::string line = "  iterations: min " + std::to_string(counts[0]) + ", median " +
                           std::to_string(counts[1]) + ", max " + std::to_string(counts[3]) + "\n";
  EXPECT_NE(run.err.find(line), std::string::npos) << line << run.err;
}

TEST_F(SimulateCommand, ListsScenariosAndExplainsItselfWithExamples) {
  const Outcome list = simulate({"--list-scenarios"});
  EXPECT_EQ(list.code, 0);
  EXPECT_EQ(list.out.rfind("manoeuvre (default)\n", 0), 0u) << list.out;
  EXPECT_NE(list.out.find("rotor-failures"), std::string::npos);

  const Outcome help = run_sfqp({"simulate", "--help"});
  EXPECT_EQ(help.code, 0);
  for (const char* text : {"Examples:", "sfqp simulate --input recorded.csv", "c_r0_c0, c_r1_c0",
                           "k_T L sin theta_j", "Exit codes:"}) {
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace sfqp::tool
