// What every sfqp subcommand shares: the exit codes and the way a subcommand
// reports one. A subcommand lives in its own files and is added to the tool by
// one register_..._command(app) line in main.cpp.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>

namespace sfqp::tool {

// The tool's exit codes.
enum ExitCode : int {
  exit_success = 0,       // every input answered
  exit_bad_input = 1,     // an input line was malformed or a file unreadable (the rest answered)
  exit_bad_usage = 2,     // unknown option, missing or invalid argument
  exit_cannot_write = 3,  // an output (a file, standard output) could not be written
};

// Ends a subcommand's callback with a failure code; run() returns it.
[[noreturn]] void finish_with(ExitCode code);

// Runs the body of a command that writes output files and ends it the same
// way whatever it throws: an output that could not be written (io::OutputError)
// with exit_cannot_write, any other failure with exit_bad_input, each reported
// on standard error as "<name>: <what>".
void run_writing_outputs(const std::string& name, const std::function<void()>& body);

// Parses the command line and runs the chosen subcommand. Returns the exit code:
// CLI11's own usage errors map to exit_bad_usage, help to exit_success; when
// standard output cannot take what was written to it (a full disk, a closed
// pipe, /dev/full), exit_cannot_write whatever the command did.
int run(CLI::App& app, int argc, const char* const* argv);

// Accepts a whole number from 0 to 2^64 - 1 written in decimal digits. (CLI11
// alone would wrap "-3" and saturate "2^64" silently.)
const CLI::Validator& unsigned_64();

// The footer of `sfqp --help`: the exit codes.
extern const char* const kExitCodesHelp;

}  // namespace sfqp::tool
