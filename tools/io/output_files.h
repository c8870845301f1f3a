// The one way the sfqp tool writes files, for every command that writes them.
//
// Before a run: check_output_paths() looks at every output at once (its folder
// exists and is writable, it is not a directory or a device, it is not one of
// the inputs, no two outputs are the same file), so that a bad path stops the
// run before anything is computed or written.
//
// During a run: OutputFiles writes each output to a temporary file beside its
// destination (hidden, same extension, so that another program such as the
// plotting script can write it too) and keeps scratch files in the temporary
// folder. commit() moves every output into place only when the whole run has
// succeeded; until then an existing file stays as it was. Every temporary and
// scratch file is removed when the OutputFiles is destroyed uncommitted (an
// error, an exception) and when the process is stopped by SIGINT, SIGTERM or
// SIGHUP.
//
// Usage:
//   if (auto error = check_output_paths({{"--output", out}, {"--summary", sum}}, {in})) ...
//   OutputFiles files;
//   std::ostream& rows = files.open(out);
//   ... write ...
//   files.commit();  // throws OutputError naming the file that failed
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sfqp::io {

struct PlannedOutput {
  std::string option;  // how the user named it, e.g. "--output"
  std::filesystem::path path;
};

// The first thing wrong with the outputs, as "--output run.csv: <what>", or
// nothing. Outputs with an empty path are not asked for and are skipped; an
// input named "-" (standard input) is no file and is skipped.
std::optional<std::string> check_output_paths(const std::vector<PlannedOutput>& outputs,
                                              const std::vector<std::filesystem::path>& inputs);

// A file that could not be created, written or moved into place.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class OutputFiles {
 public:
  OutputFiles();
  // Removes every temporary and scratch file; an uncommitted output's
  // destination is left as it was.
  ~OutputFiles();
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;

  // A stream to the temporary file of destination. Throws OutputError.
  std::ostream& open(const std::filesystem::path& destination);
  // The temporary path of destination, for another program to write; it is
  // moved into place by commit() like the others. Nothing is created yet.
  std::filesystem::path reserve(const std::filesystem::path& destination);
  // A stream to a new scratch file in the temporary folder, removed whatever
  // happens; its path is written to path. Throws OutputError.
  std::ostream& open_scratch(const std::string& extension, std::filesystem::path& path);
  // Closes every stream; throws OutputError if any write failed. Scratch files
  // can then be read by another program.
  void finish_writing();
  // finish_writing(), then moves every output into place. Throws OutputError;
  // then no temporary file is left.
  void commit();

 private:
  struct Entry;
  std::filesystem::path temporary_path(const std::filesystem::path& folder, const std::string& stem,
                                       const std::string& extension);
  Entry& add(std::filesystem::path temporary, std::optional<std::filesystem::path> destination);
  // Opens entry's temporary file; errors name the file as named.
  std::ostream& open_stream(Entry& entry, const std::filesystem::path& named);
  std::vector<std::unique_ptr<Entry>> entries_;
};

// While a helper program writes an output (the plotting script), a stop
// signal is passed on to it before the temporary files are removed, so that it
// cannot write one again afterwards. 0: none.
void set_helper_process(long pid);

}  // namespace sfqp::io
