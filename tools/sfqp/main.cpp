// sfqp: the solver's command-line tool. Each subcommand lives in its own files
// and is added here by one registration line.
#include <CLI/CLI.hpp>

#include "tools/envelope/envelope_command.h"
#include "tools/sfqp/command.h"
#include "tools/sfqp/generate_command.h"
#include "tools/sfqp/solve_command.h"
#include "tools/simulate/simulate_command.h"

namespace {

constexpr const char* kDescription =
    "sfqp: the real-time QP solver of the block, outside the host.\n"
    "Each problem: minimise 40000 |e|^2 + |u|^2 (default weights) subject to\n"
    "coupling u - e = target and 0 <= u[j] <= 1, coupling 4x16, 16 commands u.";

constexpr const char* kOverview =
    "Problems are JSON Lines, one object a line, e.g. (one line in the file):\n"
    "  {\"name\": \"diagonal\", \"coupling\": [1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1,\n"
    "    0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0,\n"
    "    0,0,0,0, 0,0,0,0, 0,0,0,0, 0,0,0,0], \"target\": [0.5, 0.5, 0.5, 0.5]}\n"
    "coupling is column-major (row i, column j at i + 4j); optional \"settings\" and\n"
    "\"weights\". The full format: sfqp solve --help.\n"
    "\n"
    "  sfqp solve problems.jsonl           one result line per problem\n"
    "  sfqp solve --exact < problems.jsonl doubles as %a, comparable to the bit\n"
    "  sfqp generate rotor16 -n 5          seeded test problems\n"
    "  sfqp envelope --x roll:-60:60:121 --y pitch:-60:60:121 --plot e.png\n"
    "                                      where the block falls back to zeros\n";

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(kDescription, "sfqp");
  app.footer(std::string(kOverview) + "\n" + sfqp::tool::kExitCodesHelp);
  // The same options on every platform: on Windows CLI11 would also read
  // "/name" as an option, and so misread a path such as /data/problems.jsonl.
  app.allow_windows_style_options(false);
  // At most one here; run() reports a missing one, so that an unknown word is
  // reported as such rather than as a missing subcommand.
  app.require_subcommand(0, 1);
  app.set_version_flag("--version", "sfqp " SFQP_VERSION);
  sfqp::tool::register_solve_command(app);
  sfqp::tool::register_generate_command(app);
  sfqp::tool::register_simulate_command(app);
  sfqp::tool::register_envelope_command(app);
  return sfqp::tool::run(app, argc, argv);
}
