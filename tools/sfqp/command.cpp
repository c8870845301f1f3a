#include "tools/sfqp/command.h"

#include <charconv>
#include <cstdint>
#include <exception>
#include <iostream>

#include "tools/io/excerpt.h"
#include "tools/io/output_files.h"

namespace sfqp::tool {

const char* const kExitCodesHelp =
    "Exit codes:\n"
    "  0  success: every problem answered\n"
    "  1  bad input: a line was malformed or a file unreadable (reported on standard\n"
    "     error with its line number; the good lines are still answered)\n"
    "  2  bad usage: unknown option, missing or invalid argument\n"
    "  3  cannot write: an output file or standard output could not be written\n"
    "     (a file is then left as it was before the run)";

const CLI::Validator& unsigned_64() {
  static const CLI::Validator validator(
      [](std::string& text) -> std::string {
        std::uint64_t value = 0;
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, value);
        if (text.empty() || text.front() == '-' || error != std::errc() || stop != end) {
          return "must be a whole number from 0 to 18446744073709551615, not " + io::excerpt(text);
        }
        return {};
      },
      "");
  return validator;
}

void finish_with(ExitCode code) {
  throw CLI::RuntimeError(code);
}

void run_writing_outputs(const std::string& name, const std::function<void()>& body) {
  try {
    body();
  } catch (const CLI::Error&) {
    throw;
  } catch (const io::OutputError& error) {
    std::cerr << name << ": " << error.what() << '\n';
    finish_with(exit_cannot_write);
  } catch (const std::exception& error) {
    std::cerr << name << ": " << error.what() << '\n';
    finish_with(exit_bad_input);
  }
}

namespace {

// The command line parser's messages quote what was typed as it is: a value
// with escape sequences or of 100 kB would reach the terminal whole.
std::string bounded_failure(const CLI::App*, const CLI::Error& error) {
  return io::message_excerpt(error.what()) + "\nRun with --help for more information.\n";
}

int parse_and_run(CLI::App& app, int argc, const char* const* argv) {
  app.failure_message(bounded_failure);
  try {
    app.parse(argc, argv);
  } catch (const CLI::RuntimeError& finished) {
    return finished.get_exit_code();
  } catch (const CLI::ParseError& error) {
    // Prints the help text, or the error and a pointer to --help.
    const int code = app.exit(error);
    return code == static_cast<int>(CLI::ExitCodes::Success) ? exit_success : exit_bad_usage;
  } catch (const std::exception& error) {
    std::cerr << app.get_name() << ": " << error.what() << '\n';
    return exit_bad_input;
  }
  if (app.get_subcommands().empty()) {
    std::cerr << "A subcommand is required\nRun with --help for more information.\n";
    return exit_bad_usage;
  }
  return exit_success;
}

}  // namespace

int run(CLI::App& app, int argc, const char* const* argv) {
  const int code = parse_and_run(app, argc, argv);
  if (!std::cout.flush()) {
    std::cerr << app.get_name() << ": cannot write to standard output\n";
    return exit_cannot_write;
  }
  return code;
}

}  // namespace sfqp::tool
