// `sfqp solve` on streams: every malformed line is named with its number and
// what is wrong, the good lines are still answered, and the results read back
// to the bit.
#include "tools/io/bounded_line.h"
#include "tools/sfqp/solve_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "api/core_api.h"
#include "tests/support/bits.h"
#include "tests/support/problems_file.h"
#include "tools/problems/problem_generator.h"

namespace sfqp::tool {
namespace {

using nlohmann::json;
using test::same_bits;

std::string numbers(int count, const std::string& value) {
  std::string text;
  for (int k = 0; k < count; ++k) {
    text += (k ? "," : "") + value;
  }
  return text;
}

const std::string kCoupling = "\"coupling\": [" + numbers(64, "0") + "]";
const std::string kTarget = "\"target\": [0, 0, 0, 0]";

std::string problem(const std::string& extra = "") {
  return "{" + kCoupling + ", " + kTarget + extra + "}";
}

struct Solved {
  ExitCode status;
  std::vector<json> results;
  std::string errors;
};

Solved solve_text(const std::string& input, bool exact = false) {
  std::istringstream in(input);
  std::ostringstream out, err;
  Solved solved;
  solved.status = solve_lines(in, "problems.jsonl", exact, out, err);
  std::istringstream lines(out.str());
  for (std::string line; std::getline(lines, line);) {
    solved.results.push_back(json::parse(line));
  }
  solved.errors = err.str();
  return solved;
}

TEST(SolveLines, EachMalformedLineIsNamedAndTheGoodLinesAreAnswered) {
  struct Case {
    std::string line;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"not json", "not valid JSON at column 2: syntax error"},
      // A line is all of its bytes: after a NUL as after a space.
      {problem() + std::string(1, '\0') + "garbage",
       "not valid JSON at column " + std::to_string(problem().size() + 1) + ": a NUL byte"},
      {std::string(1, '\0'), "not valid JSON at column 1: a NUL byte"},
      {"{\"coupling\": [1, 2]", "not valid JSON at column"},
      {"[1, 2, 3]", "a problem must be a JSON object"},
      {"{" + kTarget + "}", "missing \"coupling\""},
      {"{\"coupling\": [" + numbers(63, "0") + "], " + kTarget + "}",
       "\"coupling\" has 63 entries, expected 64"},
      {"{" + kCoupling + ", \"target\": [0, 0, 0, 0, 0]}", "\"target\" has 5 entries, expected 4"},
      {"{" + kCoupling + ", \"target\": 4}", "\"target\" must be an array of 4 numbers"},
      {"{" + kCoupling + ", \"target\": [0, \"zero\", 0, 0]}",
       "\"target\" entry 1 is not a number"},
      {"{" + kCoupling + ", \"target\": [0, null, 0, 0]}", "\"target\" entry 1 is not a number"},
      {"{" + kCoupling + ", \"target\": [0, \"0x1p+0 \", 0, 0]}",
       "\"target\" entry 1 is not a number"},
      {problem(", \"extra\": 1"), "unknown key \"extra\""},
      {problem(", \"name\": 7"), "\"name\" must be a string"},
      {problem(", \"settings\": {\"tolerance\": 1}"),
       "setting \"tolerance\" is not a setting; the settings: residual_tolerance, gap_tolerance,"},
      {problem(", \"settings\": {\"gap_tolerance\": \"small\"}"),
       "setting \"gap_tolerance\" is not a number"},
      {problem(", \"settings\": {\"iteration_limit\": 2.5}"),
       "setting \"iteration_limit\" must be a whole number up to 1000 (0 or less: no iteration)"},
      {problem(", \"settings\": {\"iteration_limit\": 1001}"),
       "setting \"iteration_limit\" must be a whole number up to 1000"},
      {problem(", \"settings\": {\"refinement_passes\": 1e9}"),
       "setting \"refinement_passes\" must be a whole number from 0 to 100"},
      {problem(", \"settings\": {\"refinement_passes\": -1}"),
       "setting \"refinement_passes\" must be a whole number from 0 to 100"},
      {problem(", \"settings\": {\"improved_start\": \"nan\"}"),
       "setting \"improved_start\" must be 0 or 1 (a flag)"},
      {problem(", \"settings\": {\"print_refinement\": 2}"),
       "setting \"print_refinement\" must be 0 or 1 (a flag)"},
      {problem(", \"settings\": {\"residual_tolerance\": -1e-6}"),
       "setting \"residual_tolerance\" must be a finite number from 0 up"},
      {problem(", \"settings\": {\"gap_tolerance\": \"inf\"}"),
       "setting \"gap_tolerance\" must be a finite number from 0 up"},
      {problem(", \"settings\": {\"kkt_regularization\": 0}"),
       "setting \"kkt_regularization\" must be a finite number above 0"},
      {problem(", \"settings\": {\"initial_slack\": \"nan\"}"),
       "setting \"initial_slack\" must be a finite number above 0"},
      // Beyond double range: an error at its place, never infinity.
      {"{" + kCoupling + ", \"target\": [0, 1e400, 0, 0]}",
       "not valid JSON at column " + std::to_string(kCoupling.size() + 18) +
           ": number beyond the range of a double: \"1e400\""},
      {"{" + kCoupling + ", \"target\": [0, \"-1e400\", 0, 0]}",
       "\"target\" entry 1 is beyond the range of a double"},
      {problem(", \"settings\": {\"gap_tolerance\": \"0x1p+1024\"}"),
       "setting \"gap_tolerance\" is beyond the range of a double"},
      {problem(", \"weights\": {\"error_weight\": [1, -1, 1, 1]}"),
       "\"error_weight\" entry 1 must be a finite number from 0 up"},
      {problem(", \"weights\": {\"effort_weight\": [" + numbers(15, "1") + ", \"inf\"]}"),
       "\"effort_weight\" entry 15 must be a finite number from 0 up"},
      {problem(", \"settings\": [1]"), "\"settings\" must be an object"},
      {problem(", \"weights\": {\"effort\": [1]}"), "unknown weight \"effort\""},
      // Echoed input is bounded and escaped: binary bytes, a 100 kB key.
      {problem(", \"\\u0001\\u00e9\": 1"), "unknown key \"\\x01\\xc3\\xa9\""},
      {problem(", \"" + std::string(100000, 'k') + "\": 1"),
       "unknown key \"" + std::string(80, 'k') + "...\" (100000 bytes)"},
      {problem(", \"weights\": {\"error_weight\": [1, 1]}"),
       "\"error_weight\" has 2 entries, expected 4"},
  };
  // Good lines around and between the bad ones; a blank line still counts.
  std::string input = problem(", \"name\": \"first\"") + "\n\n";
  for (const auto& c : cases) {
    input += c.line + "\n" + problem() + "\n";
  }
  const Solved solved = solve_text(input);

  EXPECT_EQ(solved.status, exit_bad_input);
  ASSERT_EQ(solved.results.size(), cases.size() + 1);
  EXPECT_EQ(solved.results[0]["name"], "first");
  std::istringstream errors(solved.errors);
  std::size_t line_number = 3;
  for (const auto& c : cases) {
    std::string message;
    ASSERT_TRUE(std::getline(errors, message)) << "no message for " << c.message;
    const std::string prefix = "sfqp solve: problems.jsonl:" + std::to_string(line_number) + ": ";
    EXPECT_EQ(message.substr(0, prefix.size()), prefix) << message;
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
    line_number += 2;
  }
  std::string extra;
  EXPECT_FALSE(std::getline(errors, extra)) << extra;
}

TEST(SolveLines, ALineLongerThanTheBoundIsSkippedUnreadAndTheNextAnswered) {
  const std::string huge(io::kLineByteLimit + 1, '[');
  const Solved solved = solve_text(huge + "\n" + problem(", \"name\": \"after\"") + "\n");
  EXPECT_EQ(solved.status, exit_bad_input);
  EXPECT_EQ(solved.errors,
            "sfqp solve: problems.jsonl:1: longer than 1048576 bytes (a problem takes a few kB); "
            "skipped\n");
  ASSERT_EQ(solved.results.size(), 1u);
  EXPECT_EQ(solved.results[0]["name"], "after");
}

// Input that never ends its line (/dev/zero) is read no further than the line
// bound and the skip bound, then given up: neither memory nor time without end.
TEST(SolveLines, ALineThatNeverEndsStopsTheReadingAtTheSkipBound) {
  const std::string endless(io::kLineByteLimit + io::kLineSkipByteLimit + 1, '\0');
  const Solved solved = solve_text(endless + "\n" + problem() + "\n");
  EXPECT_EQ(solved.status, exit_bad_input);
  EXPECT_EQ(solved.errors,
            "sfqp solve: problems.jsonl:1: longer than 1048576 bytes, with no line end in the "
            "67108864 bytes after them; the rest is not read\n");
  EXPECT_TRUE(solved.results.empty());
}

// At the bounds of its settings, with every print on, one line still returns
// a bounded console text: cut at 1 MiB with a note.
TEST(SolveLines, TheMostChattySolveReturnsABoundedConsole) {
  const Solved solved = solve_text(
      problem(", \"settings\": {\"iteration_limit\": 1000, \"refinement_passes\": 100, "
              "\"residual_tolerance\": 0, \"gap_tolerance\": 0, \"print_refinement\": 1}"));
  ASSERT_EQ(solved.results.size(), 1u);
  const std::string console = solved.results[0]["console"];
  EXPECT_EQ(console.size(), api::kMaxConsoleBytes + api::kConsoleCutNote.size());
  EXPECT_EQ(console.substr(api::kMaxConsoleBytes), api::kConsoleCutNote);
}

// Printed through a caller's sink (as Octave's sfqp_solve prints), the same
// solve is held to the same bound: the note once, at the end, every piece
// NUL-terminated as a sink reads it.
TEST(SolveLines, TheMostChattySolveIsBoundedThroughASinkToo) {
  struct Seen {
    std::string text;
    bool terminated = true;
  } seen;
  api::Problem problem;
  problem.coupling.fill(1.0);
  problem.target = {100.0, 0.0, 0.0, 0.0};
  auto settings = api::default_settings();
  for (const auto& [name, value] : {std::pair<const char*, double>{"iteration_limit", 1000},
                                    {"refinement_passes", 100},
                                    {"residual_tolerance", 0},
                                    {"gap_tolerance", 0},
                                    {"print_refinement", 1}}) {
    ASSERT_FALSE(api::apply_setting(settings, name, value));
  }
  problem.settings = settings;
  problem.console_sink = {[](void* context, const char* text, std::size_t length) {
                            auto& s = *static_cast<Seen*>(context);
                            s.terminated = s.terminated && text[length] == '\0';
                            s.text.append(text, length);
                          },
                          &seen};
  api::solve(problem);
  EXPECT_TRUE(seen.terminated);
  EXPECT_EQ(seen.text.size(), api::kMaxConsoleBytes + api::kConsoleCutNote.size());
  EXPECT_EQ(seen.text.substr(api::kMaxConsoleBytes), api::kConsoleCutNote);
}

TEST(SolveLines, GoodInputSucceedsAndSkipsBlankLines) {
  const Solved solved =
      solve_text("\n" + problem() + "\r\n  \t\n" + problem(", \"name\": \"b\"") + "\n");
  EXPECT_EQ(solved.status, exit_success);
  EXPECT_EQ(solved.errors, "");
  ASSERT_EQ(solved.results.size(), 2u);
  EXPECT_FALSE(solved.results[0].contains("name"));
  EXPECT_EQ(solved.results[1]["name"], "b");
  EXPECT_EQ(solve_text("").status, exit_success);
}

TEST(SolveLines, ResultLinesHoldTheFieldsInOrder) {
  std::istringstream in(problem(", \"name\": \"zero\""));
  std::ostringstream out, err;
  EXPECT_EQ(solve_lines(in, "<stdin>", false, out, err), exit_success);
  const auto result = nlohmann::ordered_json::parse(out.str());
  std::vector<std::string> keys;
  for (const auto& [key, value] : result.items()) {
    keys.push_back(key);
  }
  const std::vector<std::string> expected = {
      "name", "iterations", "converged",      "output1",         "u", "e", "y", "s", "z",
      "objv", "gap",        "eq_residual_sq", "ineq_residual_sq"};
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(result["iterations"], 6);
  EXPECT_EQ(result["converged"], 1);
}

TEST(SolveLines, ConsoleIsWrittenWhenPrintingIsOn) {
  const Solved solved =
      solve_text(problem(", \"settings\": {\"print_progress\": 1}") + "\n" +
                 problem(", \"settings\": {\"print_progress\": 0}") + "\n" +
                 problem(", \"settings\": {\"iteration_limit\": 0}") + "\n" + problem() + "\n");
  ASSERT_EQ(solved.results.size(), 4u);
  const std::string header = "iter     objv        gap       |Ax-b|    |Gx+s-h|    step\n";
  const std::string table = solved.results[0].at("console");
  EXPECT_EQ(table.substr(0, header.size()), header);
  EXPECT_NE(table.find("\n  6    3.697e-05   7.76e-05"), std::string::npos) << table;
  EXPECT_FALSE(solved.results[1].contains("console"));
  EXPECT_EQ(solved.results[2].at("console"), header) << "settings start from the defaults";
  EXPECT_FALSE(solved.results[3].contains("console"));
}

// Every double of a result reads back to the bits the core computed: exactly
// with --exact (and "nan" for every NaN), and also from the plain JSON numbers.
TEST(SolveLines, ResultsReadBackToTheBit) {
  std::string input;
  std::vector<api::Problem> inputs;
  for (const auto category : problems::kAllCategories) {
    for (const auto& p : problems::generate_range(category, 17, 0, 3)) {
      input += io::problem_to_json(p.name, p.coupling, p.target, true).dump() + "\n";
      api::Problem& problem = inputs.emplace_back();
      problem.coupling = p.coupling;
      problem.target = p.target;
    }
  }
  input += "{" + kCoupling + ", \"target\": [\"nan\", 0, 0, 0]}\n";
  inputs.emplace_back().target[0] = std::nan("");

  for (const bool exact : {true, false}) {
    SCOPED_TRACE(exact ? "exact" : "plain");
    const Solved run = solve_text(input, exact);
    ASSERT_EQ(run.status, exit_success) << run.errors;
    ASSERT_EQ(run.results.size(), inputs.size());
    for (std::size_t n = 0; n < inputs.size(); ++n) {
      const api::Result want = api::solve(inputs[n]);
      const json& got = run.results[n];
      EXPECT_TRUE(same_bits(want.u, test::doubles_of(got["u"])));
      EXPECT_TRUE(same_bits(want.s, test::doubles_of(got["s"])));
      EXPECT_TRUE(same_bits(want.gap, test::double_of(got["gap"])));
      if (exact) {
        for (const auto& value : got["z"]) {
          EXPECT_TRUE(value.is_string()) << value;
        }
      }
    }
    const json& nan_result = run.results.back();
    EXPECT_EQ(nan_result["gap"], "nan") << "one spelling for NaN, never null";
    EXPECT_EQ(nan_result["u"][0], "nan");
  }
}

}  // namespace
}  // namespace sfqp::tool
