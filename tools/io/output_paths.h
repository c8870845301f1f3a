// The check of every output before a run: its folder exists and a file can be
// created there, it is not a directory or a device, it is not one of the
// inputs, no two outputs are the same file or descriptor, and an output that
// names a descriptor ("-", /dev/stdout, /dev/fd/N) has it open for writing.
// A bad path stops the run before anything is computed or written.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sfqp::io {

struct PlannedOutput {
  std::string option;  // how the user named it, e.g. "--output"
  std::filesystem::path path;
};

// The first thing wrong with the outputs, as "--output "run.csv": <what>" (the
// path as an escaped excerpt), or nothing. Outputs with an empty path are not
// asked for and are skipped; an input named "-" (standard input) is no file
// and is skipped.
std::optional<std::string> check_output_paths(const std::vector<PlannedOutput>& outputs,
                                              const std::vector<std::filesystem::path>& inputs);

}  // namespace sfqp::io
