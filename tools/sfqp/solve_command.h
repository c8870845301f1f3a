// `sfqp solve`: solves JSON Lines problems, one result line per problem.
#pragma once

#include <CLI/CLI.hpp>

#include <iosfwd>
#include <string>

#include "tools/sfqp/command.h"

namespace sfqp::tool {

void register_solve_command(CLI::App& app);

// Solves every problem line of in and writes its result line to out; a malformed
// line is reported on err as "sfqp solve: <source>:<line>: <what is wrong>" and
// skipped, as is a line longer than io::kLineByteLimit. Blank lines are skipped.
// Returns exit_success, exit_bad_input, or exit_cannot_write when out failed
// (then the rest of in is left unread).
ExitCode solve_lines(std::istream& in, const std::string& source, bool exact, std::ostream& out,
                     std::ostream& err);

}  // namespace sfqp::tool
