#include "tools/sfqp/solve_command.h"

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "api/core_api.h"
#include "solver/instruction_set.h"
#include "tools/io/bounded_line.h"
#include "tools/io/input_file.h"
#include "tools/io/problem_json.h"
#include "tools/io/result_line.h"

namespace sfqp::tool {

namespace {

constexpr const char* kSolveHelp =
    "Solve JSON Lines problems: one result line per problem, in input order";

constexpr const char* kFormatHelp =
    "Problem line (one JSON object):\n"
    "  name      optional string, copied to the result\n"
    "  coupling  64 numbers: the 4x16 matrix, column-major (row i, column j at i + 4j)\n"
    "  target    4 numbers: the demands\n"
    "  settings  optional {field: value} overrides of the solver's settings:\n"
    "            residual_tolerance, gap_tolerance, iteration_limit, refinement_passes,\n"
    "            improved_start, initial_slack, initial_dual, print_progress,\n"
    "            print_refinement, print_kkt_checks, kkt_regularization\n"
    "  weights   optional {\"error_weight\": [4], \"effort_weight\": [16]}\n"
    "Bounds, so that one line costs at most about 0.4 s and 1 MiB of output:\n"
    "  residual_tolerance, gap_tolerance       finite, from 0 up\n"
    "  initial_slack, initial_dual,            finite, above 0\n"
    "  kkt_regularization\n"
    "  iteration_limit                         whole, up to 1000 (0 or less: no iteration)\n"
    "  refinement_passes                       whole, 0 to 100\n"
    "  improved_start, print_*                 0 or 1\n"
    "  error_weight, effort_weight entries     finite, from 0 up\n"
    "  console                                 cut at 1 MiB, with a note saying so\n"
    "Numbers are JSON numbers or strings holding a C99 hexadecimal float (\"0x1.8p-1\"),\n"
    "\"nan\" or \"inf\". Without settings and weights a problem is solved exactly as the\n"
    "block solves it: default settings with the progress table off, weights 40000 and 1.\n"
    "With settings, the overrides apply to the defaults (progress table on unless\n"
    "print_progress is 0).\n"
    "\n"
    "Example: two problems, each on one line of the file (wrapped here):\n"
    "  {\"name\": \"diagonal\", \"coupling\": [1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1,\n"
    "    0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0,\n"
    "    0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0], \"target\": [0.5, 0.5, 0.5, 0.5]}\n"
    "  {\"name\": \"diagonal, far\", \"coupling\": [the same 64 numbers],\n"
    "    \"target\": [\"0x1.4p+3\", 10, 10, 10], \"settings\": {\"print_progress\": 1}}\n"
    "The second prints the progress table into its result's console field.\n"
    "`sfqp generate` writes seeded problems in this format.\n"
    "\n"
    "Result line: name (when given), iterations, converged (0 or 1), output1 (the 16\n"
    "values the block writes: u, or zeros above 24 iterations), u, e, y, s, z, objv\n"
    "(null unless converged or printed), gap, eq_residual_sq, ineq_residual_sq, and\n"
    "console (the printed text) when a print setting is on. With --exact every double\n"
    "is a %a string, so runs compare to the bit.\n"
    "\n"
    "A malformed line (a number beyond double range such as 1e400 included, and a\n"
    "line longer than 1 MiB) is reported on standard error as <file>:<line>: <what is\n"
    "wrong>, with the input shown in a bounded excerpt; the other lines are still\n"
    "answered and the exit code is 1. - or /dev/stdin reads standard input.";

// The builds this tool holds: x86-64, x86-64-v3 and x86-64-v4 on x86-64 processors,
// portable elsewhere.
std::vector<std::string> instruction_set_names() {
  std::vector<std::string> names;
  for (const InstructionSet set : kInstructionSets) {
    names.emplace_back(instruction_set_name(set));
  }
  return names;
}

constexpr const char* kInstructionSetHelp =
    "run the solver's arithmetic built for this instruction set (x86-64, x86-64-v3 or "
    "x86-64-v4 on x86-64; default: the newest this processor runs); every build gives the "
    "same bits";

// Makes the solver run the build for name, or ends the command when this
// processor cannot run it.
void use_instruction_set_named(const std::string& name) {
  const std::optional<InstructionSet> set = instruction_set_named(name);
  if (!set || !use_instruction_set(*set)) {
    std::cerr << "sfqp solve: this processor cannot run the " << name << " build\n";
    finish_with(exit_bad_usage);
  }
}

bool is_blank(const std::string& line) {
  return line.find_first_not_of(" \t\r") == std::string::npos;
}

}  // namespace

ExitCode solve_lines(std::istream& in, const std::string& source, bool exact, std::ostream& out,
                     std::ostream& err) {
  ExitCode status = exit_success;
  long long number = 0;
  std::string line;
  std::string result_line;
  for (io::LineRead read; (read = io::read_bounded_line(in, line)) != io::LineRead::end;) {
    ++number;
    if (read == io::LineRead::endless) {
      err << "sfqp solve: " << source << ":" << number << ": longer than " << io::kLineByteLimit
          << " bytes, with no line end in the " << io::kLineSkipByteLimit
          << " bytes after them; the rest is not read\n";
      status = exit_bad_input;
      break;
    }
    if (read == io::LineRead::too_long) {
      err << "sfqp solve: " << source << ":" << number << ": longer than " << io::kLineByteLimit
          << " bytes (a problem takes a few kB); skipped\n";
      status = exit_bad_input;
      continue;
    }
    if (is_blank(line)) {
      continue;
    }
    auto parsed = io::parse_problem_line(line);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
      err << "sfqp solve: " << source << ":" << number << ": " << *error << '\n';
      status = exit_bad_input;
      continue;
    }
    auto& named = std::get<io::NamedProblem>(parsed);
    // Always captured: solver output on standard output would break the JSON Lines.
    named.problem.capture_console = true;
    const api::Result result = api::solve(named.problem);
    const bool with_console = io::prints_anything(named.problem);
    result_line.clear();
    io::append_result_line(result_line, named.name, result, exact, with_console);
    result_line += '\n';
    out.write(result_line.data(), static_cast<std::streamsize>(result_line.size()));
    if (!out) {
      break;  // reported below; answering the rest would write nowhere
    }
  }
  if (in.bad()) {
    err << "sfqp solve: " << source << ": read error after line " << number << '\n';
    status = exit_bad_input;
  }
  if (!out.flush()) {
    err << "sfqp solve: cannot write the results to standard output\n";
    status = exit_cannot_write;
  }
  return status;
}

void register_solve_command(CLI::App& app) {
  CLI::App* solve = app.add_subcommand("solve", kSolveHelp);
  solve->footer(std::string(kFormatHelp) + "\n\n" + kExitCodesHelp);
  auto input = std::make_shared<std::string>("-");
  auto exact = std::make_shared<bool>(false);
  auto instruction_set = std::make_shared<std::string>();
  solve->add_option("file", *input, "JSON Lines problems; - or absent: standard input");
  solve->add_flag("--exact", *exact, "write every double as a C99 hexadecimal float (%a)");
  solve->add_option("--instruction-set", *instruction_set, kInstructionSetHelp)
      ->check(CLI::IsMember(instruction_set_names()));
  solve->callback([input, exact, instruction_set] {
    if (!instruction_set->empty()) {
      use_instruction_set_named(*instruction_set);
    }
    io::InputFile file(*input);
    if (file.stream() == nullptr) {
      std::cerr << "sfqp solve: cannot open " << file.label() << ": " << file.error() << '\n';
      finish_with(exit_bad_input);
    }
    const ExitCode status = solve_lines(*file.stream(), file.label(), *exact, std::cout, std::cerr);
    if (status != exit_success) {
      finish_with(status);
    }
  });
}

}  // namespace sfqp::tool
