// The sfqp binary as a user runs it: exit codes (CLI11's usage errors map to
// the usage code), help that explains the input, standard input and pipes.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "solver/instruction_set.h"
#include "tests/support/bits.h"
#include "tests/support/problems_file.h"
#include "tools/problems/problem_generator.h"

namespace sfqp::test {
namespace {

struct Outcome {
  int exit_code;
  std::string out;
  std::string err;
};

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The tool as a shell word (in a cross build, behind its emulator).
std::string tool() {
  return std::string(SFQP_TOOL_EMULATOR) + " '" + SFQP_TOOL + "'";
}

// Runs "sfqp <arguments>" through the shell with input on standard input (in a
// cross build, through its emulator).
Outcome run_sfqp(const std::string& arguments, const std::string& input = "") {
  const auto dir =
      std::filesystem::path(::testing::TempDir()) / ("sfqp_process_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "in") << input;
  const std::string command = tool() + " " + arguments + " <'" + (dir / "in").string() + "' >'" +
                              (dir / "out").string() + "' 2>'" + (dir / "err").string() + "'";
  const int status = std::system(command.c_str());
  Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file(dir / "out"),
                  read_file(dir / "err")};
  std::filesystem::remove_all(dir);
  return outcome;
}

// Runs a shell command line; its standard error goes to a file that is
// returned with the exit code.
Outcome run_shell(const std::string& command_line) {
  const auto dir =
      std::filesystem::path(::testing::TempDir()) / ("sfqp_shell_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string command = command_line + " 2>'" + (dir / "err").string() + "'";
  const int status = std::system(command.c_str());
  Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, "", read_file(dir / "err")};
  std::filesystem::remove_all(dir);
  return outcome;
}

std::string zero_problem(const std::string& name) {
  std::string coupling;
  for (int k = 0; k < 64; ++k) {
    coupling += k ? ",0" : "0";
  }
  return "{\"name\": \"" + name + "\", \"coupling\": [" + coupling + "], \"target\": [0,0,0,0]}";
}

TEST(SfqpTool, ExitCodesSaySuccessBadInputOrBadUsage) {
  struct Case {
    std::string arguments;
    int exit_code;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"", 2, "A subcommand is required"},
      {"--bogus", 2, "--bogus"},
      {"frobnicate", 2, "frobnicate"},
      {"solve --bogus", 2, "--bogus"},
      {"solve a.jsonl b.jsonl", 2, "b.jsonl"},
      {"solve /nonexistent/problems.jsonl", 1,
       "sfqp solve: cannot open /nonexistent/problems.jsonl: No such file or directory"},
      {"solve /", 1, "sfqp solve: cannot open /: Is a directory"},
      {"solve --instruction-set x86-64-v5", 2, "--instruction-set: x86-64-v5 not in"},
      {"generate nosuch", 2, "nosuch"},
      {"generate --count -1", 2, "--count: must be a whole number"},
      {"generate --seed 18446744073709551616", 2, "--seed: must be a whole number"},
      {"generate --settings '{\"bogus\": 1}'", 2, "--settings: setting \"bogus\" is not a setting"},
      {"generate --settings '{'", 2, "--settings must be a JSON object"},
      {"generate --settings '{\"gap_tolerance\": 1e400}'", 2,
       "column 19: number beyond the range of a double: \"1e400\""},
      {"generate --settings '{\"refinement_passes\": 1e9}'", 2,
       "--settings: setting \"refinement_passes\" must be a whole number from 0 to 100"},
      {"generate --first 18446744073709551615 --count 2", 2, "passes the last index"},
      // A tag goes into every name of the JSON written: text the JSON can hold,
      // refused before anything is written, and echoed escaped.
      {"generate --tag \"$(printf 'a\\377')\"", 2,
       "--tag: must be UTF-8 text without control characters, not \"a\\xff\""},
      {"generate --tag \"$(printf '\\300\\257')\"", 2, "--tag: must be UTF-8"},
      {"generate --tag \"$(printf '\\355\\240\\200')\"", 2, "--tag: must be UTF-8"},
      {"generate --tag \"$(printf 'x\\033[31m')\"", 2, "not \"x\\x1b[31m\""},
      {"generate --count \"$(printf '1\\033[0m')\"", 2, "not \"1\\x1b[0m\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("sfqp " + c.arguments);
    const Outcome outcome = run_sfqp(c.arguments);
    EXPECT_EQ(outcome.exit_code, c.exit_code);
    EXPECT_NE(outcome.err.find(c.message), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
  }
}

// Devices that never end a line end the run with an error, not a hang.
TEST(SfqpTool, InputWithoutLineEndsEndsTheRun) {
  const Outcome solved = run_sfqp("solve /dev/zero");
  EXPECT_EQ(solved.exit_code, 1);
  EXPECT_NE(solved.err.find("/dev/zero:1: longer than 1048576 bytes, with no line end"),
            std::string::npos)
      << solved.err;
  const Outcome envelope = run_sfqp("envelope --problem /dev/zero --x roll:-1:1:3 --quiet");
  EXPECT_EQ(envelope.exit_code, 1);
  EXPECT_NE(envelope.err.find("/dev/zero:1: longer than 1048576 bytes"), std::string::npos)
      << envelope.err;
}

TEST(SfqpTool, ATagInUtf8NamesEveryProblem) {
  const Outcome generated = run_sfqp("generate rotor16 -n 1 --tag \"$(printf 'r\\303\\251v')\"");
  ASSERT_EQ(generated.exit_code, 0) << generated.err;
  EXPECT_NE(generated.out.find("\"rotor16_0_r\xc3\xa9v\""), std::string::npos) << generated.out;
}

TEST(SfqpTool, HelpExplainsTheInputWithAnExample) {
  for (const std::string arguments : {"--help", "solve --help"}) {
    SCOPED_TRACE(arguments);
    const Outcome outcome = run_sfqp(arguments);
    EXPECT_EQ(outcome.exit_code, 0);
    for (const char* text : {"\"coupling\": [1,0,0,0, 0,1,0,0", "column-major", "\"target\"",
                             "Exit codes:", "2  bad usage"}) {
      EXPECT_NE(outcome.out.find(text), std::string::npos) << text;
    }
  }
  const Outcome solve_help = run_sfqp("solve --help");
  for (const char* text :
       {"--exact", "iteration_limit", "weights   optional", "console", "output1"}) {
    EXPECT_NE(solve_help.out.find(text), std::string::npos) << text;
  }
  EXPECT_EQ(run_sfqp("generate --help").exit_code, 0);
}

TEST(SfqpTool, ReadsStandardInputAndAnswersTheGoodLines) {
  const std::string input = zero_problem("a") + "\n{\"name\": \"b\"}\n" + zero_problem("c") + "\n";
  for (const std::string arguments : {"solve", "solve -"}) {
    SCOPED_TRACE(arguments);
    const Outcome outcome = run_sfqp(arguments, input);
    EXPECT_EQ(outcome.exit_code, 1);
    EXPECT_EQ(outcome.err, "sfqp solve: <stdin>:2: missing \"coupling\"\n");
    const auto a = outcome.out.find("{\"name\":\"a\",\"iterations\":6,");
    const auto c = outcome.out.find("\n{\"name\":\"c\",\"iterations\":6,");
    EXPECT_EQ(a, 0u) << outcome.out;
    EXPECT_NE(c, std::string::npos) << outcome.out;
  }
  EXPECT_EQ(run_sfqp("solve", zero_problem("a")).exit_code, 0);
}

// Output that cannot be written is never success: the tool says so and exits 3,
// and a command that would write on for long stops at once.
TEST(SfqpTool, StandardOutputThatCannotBeWrittenExitsWithThree) {
  const std::string problem = zero_problem("a");
  for (const std::string arguments : {"--help", "solve --help", "simulate --list-scenarios",
                                      "generate -n 18446744073709551615", "solve"}) {
    SCOPED_TRACE(arguments);
    const Outcome outcome =
        run_shell("echo '" + problem + "' | " + tool() + " " + arguments + " > /dev/full");
    EXPECT_EQ(outcome.exit_code, 3);
    EXPECT_NE(outcome.err.find("cannot write"), std::string::npos) << outcome.err;
  }
}

// An output named by a descriptor is written through it, never replaced:
// `--summary /dev/stdout >> log.txt` appends to the log, "-" is standard
// output, and a failed write leaves no temporary file.
TEST(SfqpTool, OutputsNamedByStandardOutputAreWrittenThroughIt) {
  const auto dir = std::filesystem::path(::testing::TempDir()) /
                   ("sfqp_descriptors_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string log = (dir / "log.txt").string();
  std::ofstream(log) << "earlier\n";
  const std::string run =
      "TMPDIR='" + dir.string() + "' " + tool() + " simulate -q --scenario hover ";

  EXPECT_EQ(run_shell(run + "--summary /dev/stdout >> '" + log + "'").exit_code, 0);
  EXPECT_EQ(read_file(log).rfind("earlier\n{\n  \"source\": \"scenario hover\"", 0), 0u);
  EXPECT_EQ(run_shell(run + "--output - > '" + log + "'").exit_code, 0);
  EXPECT_EQ(read_file(log).rfind("step,time,output1_0,", 0), 0u);

  const Outcome both = run_shell(run + "--output - --summary /dev/stdout > /dev/null");
  EXPECT_EQ(both.exit_code, 3);
  EXPECT_NE(both.err.find("is also standard output, as --output is"), std::string::npos)
      << both.err;
  const Outcome full = run_shell(run + "--plot - > /dev/full");
  EXPECT_EQ(full.exit_code, 3);
  EXPECT_NE(full.err.find("cannot write to standard output"), std::string::npos) << full.err;
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                          std::filesystem::directory_iterator()),
            1);
  std::filesystem::remove_all(dir);
}

// A file name or option value is echoed bounded and escaped wherever an error
// names it: a 100 kB value with terminal escapes reaches the terminal neither
// whole nor raw.
TEST(SfqpTool, EchoedNamesAndValuesAreBoundedAndEscaped) {
  const std::string hostile = "run\x1b[2J" + std::string(100000, 'x');
  for (const std::string& arguments :
       {"solve '" + hostile + "'", "solve --no-such-option='" + hostile + "'",
        "generate -n '" + hostile + "'", "simulate --scenario '" + hostile + "'",
        "simulate --module '" + hostile + "'", "simulate --input '" + hostile + ".csv'",
        "simulate --output '" + hostile + "/run.csv'", "envelope --x '" + hostile + "'"}) {
    SCOPED_TRACE(arguments.substr(0, 30));
    const Outcome outcome = run_sfqp(arguments);
    EXPECT_NE(outcome.exit_code, 0);
    EXPECT_LT(outcome.err.size(), 2048u);
    EXPECT_EQ(outcome.err.find('\x1b'), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("run\\x1b[2J"), std::string::npos) << outcome.err;
  }
}

// A closed standard input is an error, not empty input; "-" and /dev/stdin
// read standard input wherever input is read.
TEST(SfqpTool, StandardInputIsNamedByDashAndAClosedOneIsAnError) {
  for (const std::string arguments : {"solve", "solve -", "simulate --input - --quiet"}) {
    SCOPED_TRACE(arguments);
    const Outcome outcome = run_shell(tool() + " " + arguments + " <&-");
    EXPECT_EQ(outcome.exit_code, 1);
    EXPECT_NE(outcome.err.find("standard input is closed"), std::string::npos) << outcome.err;
  }
  EXPECT_EQ(run_sfqp("solve /dev/stdin", zero_problem("a")).exit_code, 0);

  std::string coupling, header;
  for (int k = 0; k < 64; ++k) {
    coupling += k % 5 == 0 ? "1," : "0,";
    header += "c_r" + std::to_string(k % 4) + "_c" + std::to_string(k / 4) + ",";
  }
  const std::string csv = header + "t0,t1,t2,t3\n" + coupling + "0.5,0.5,0.5,0.5\n";
  const std::string jsonl = "{\"coupling\": [" + coupling.substr(0, coupling.size() - 1) +
                            "], \"target\": [0.5, 0.5, 0.5, 0.5]}\n";
  for (const std::string& recorded : {csv, jsonl}) {
    for (const std::string name : {"-", "/dev/stdin"}) {
      const Outcome outcome = run_sfqp("simulate --quiet --input " + name, recorded);
      EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
    }
  }
}

// Ctrl-C in the middle of a run: the tool stops as the signal says, and leaves
// no output, no temporary file beside it and none in the temporary folder;
// the earlier output stays as it was.
TEST(SfqpTool, AStopSignalMidRunLeavesNoFileBehind) {
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::path(::testing::TempDir()) / ("sfqp_signal_" + std::to_string(::getpid()));
  fs::create_directories(dir / "out");
  fs::create_directories(dir / "tmp");
  std::ofstream(dir / "out" / "run.csv") << "an earlier run\n";
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal_number);
    const std::string tmpdir = "TMPDIR=" + (dir / "tmp").string();
    // The shell execs the tool (or its emulator), so the child is the tool.
    const std::string command = "exec " + tool() + " simulate --quiet --output '" +
                                (dir / "out" / "run.csv").string() + "' --summary '" +
                                (dir / "out" / "summary.json").string() + "' --plot '" +
                                (dir / "out" / "run.png").string() + "'";
    char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                    const_cast<char*>(command.c_str()), nullptr};
    char* envp[] = {const_cast<char*>(tmpdir.c_str()), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, "/bin/sh", nullptr, nullptr, argv, envp), 0);
    // Signal once the run has begun writing: its temporary output exists.
    auto writing = [&] {
      for (const auto& entry : fs::directory_iterator(dir / "out")) {
        if (entry.path().filename().string().find(".partial-") != std::string::npos) {
          return true;
        }
      }
      return false;
    };
    for (int wait = 0; wait < 20000 && !writing(); ++wait) {
      ::usleep(500);
    }
    ASSERT_TRUE(writing());
    ::kill(child, signal_number);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
    std::vector<std::string> left;
    for (const auto& folder : {dir / "out", dir / "tmp"}) {
      for (const auto& entry : fs::directory_iterator(folder)) {
        left.push_back(entry.path().filename().string());
      }
    }
    EXPECT_EQ(left, std::vector<std::string>{"run.csv"});
    EXPECT_EQ(read_file(dir / "out" / "run.csv"), "an earlier run\n");
  }
  fs::remove_all(dir);
}

TEST(SfqpTool, SaysItsVersion) {
  const Outcome outcome = run_sfqp("--version");
  EXPECT_EQ(outcome.exit_code, 0);
  EXPECT_EQ(outcome.out, "sfqp " SFQP_VERSION "\n");
}

// Each build of the arithmetic the processor runs, chosen by name, answers
// with the bytes of the default one.
TEST(SfqpTool, EveryInstructionSetGivesTheSameBytes) {
  const Outcome generated = run_sfqp("generate --count 4 --seed 11 --exact");
  ASSERT_EQ(generated.exit_code, 0) << generated.err;
  const Outcome by_default = run_sfqp("solve --exact", generated.out);
  ASSERT_EQ(by_default.exit_code, 0) << by_default.err;
  for (const InstructionSet set : kInstructionSets) {
    const std::string name(instruction_set_name(set));
    SCOPED_TRACE(name);
    const Outcome outcome = run_sfqp("solve --exact --instruction-set " + name, generated.out);
    if (instruction_set_supported(set)) {
      EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
      EXPECT_EQ(outcome.out, by_default.out);
    } else {
      EXPECT_EQ(outcome.exit_code, 2);
      EXPECT_EQ(outcome.err, "sfqp solve: this processor cannot run the " + name + " build\n");
    }
  }
}

// `sfqp generate --exact` writes the generator's problems to the bit, and
// `sfqp solve` answers them with the core's results.
TEST(SfqpTool, GeneratedProblemsPipeIntoSolve) {
  const Outcome generated = run_sfqp("generate rotor16 limit --count 2 --seed 5 --first 3 --exact");
  ASSERT_EQ(generated.exit_code, 0) << generated.err;
  const auto dir = std::filesystem::path(::testing::TempDir());
  const auto path = dir / ("sfqp_generated_" + std::to_string(::getpid()) + ".jsonl");
  std::ofstream(path) << generated.out;
  const auto problems = read_problems(path.string());
  std::filesystem::remove(path);
  ASSERT_EQ(problems.size(), 4u);
  const std::vector<std::pair<problems::Category, std::uint64_t>> order = {
      {problems::Category::rotor16, 3},
      {problems::Category::rotor16, 4},
      {problems::Category::limit, 3},
      {problems::Category::limit, 4}};
  for (std::size_t n = 0; n < order.size(); ++n) {
    const auto want = problems::generate(order[n].first, 5, order[n].second);
    EXPECT_EQ(problems[n].name, want.name);
    EXPECT_TRUE(same_bits(want.coupling, problems[n].problem.coupling));
    EXPECT_TRUE(same_bits(want.target, problems[n].problem.target));
  }

  const Outcome solved = run_sfqp("solve --exact", generated.out);
  ASSERT_EQ(solved.exit_code, 0) << solved.err;
  std::istringstream lines(solved.out);
  for (const auto& problem : problems) {
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    const auto result = nlohmann::json::parse(line);
    EXPECT_EQ(result["name"], problem.name.value());
    EXPECT_TRUE(same_bits(api::solve(problem.problem).u, doubles_of(result["u"])));
  }

  const Outcome tagged =
      run_sfqp("generate gaussian -n 1 --tag progress --settings '{\"print_progress\": 1}'");
  EXPECT_NE(tagged.out.find("{\"name\":\"gaussian_0_progress\",\"coupling\":["), std::string::npos);
  EXPECT_NE(tagged.out.find(",\"settings\":{\"print_progress\":1}}\n"), std::string::npos);
}

}  // namespace
}  // namespace sfqp::test
