// The one way the sfqp tool writes files, for every command that writes them.
//
// Before a run: check_output_paths() (output_paths.h) looks at every output at
// once, so that a bad path stops the run before anything is computed.
//
// During a run: OutputFiles writes each output to a temporary file beside its
// destination (hidden, same extension, so that another program such as the
// plotting script can write it too) and keeps scratch files in the temporary
// folder. An output that names a descriptor ("-", /dev/stdout, /dev/fd/N) has
// its temporary file in the temporary folder too.
//
// commit() makes the run's outputs one transaction: every file is moved into
// place, then every descriptor output is copied to its descriptor; when any
// step fails, the files already replaced are put back as they were, and the
// error says so. Until commit an existing file stays as it was. Every
// temporary and scratch file is removed when the OutputFiles is destroyed
// uncommitted (an error, an exception) and when the process is stopped by
// SIGINT, SIGTERM or SIGHUP; during commit those signals wait until it ends.
//
// Usage:
//   if (auto error = check_output_paths({{"--output", out}, {"--summary", sum}}, {in})) ...
//   OutputFiles files;
//   std::ostream& rows = files.open(out);
//   ... write ...
//   files.commit();  // throws OutputError naming the file that failed and what became of the rest
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sfqp::io {

// A file that could not be created, written or moved into place. Its text
// ends in what became of the outputs, e.g. "(no output was written)".
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
  // moved into place by commit() like the others. Nothing is created yet. Its
  // extension is destination's, or extension when destination has none (a
  // descriptor: "-", /dev/stdout).
  std::filesystem::path reserve(const std::filesystem::path& destination,
                                const std::string& extension = "");
  // A stream to a new scratch file in the temporary folder, removed whatever
  // happens; its path is written to path. Throws OutputError.
  std::ostream& open_scratch(const std::string& extension, std::filesystem::path& path);
  // Closes every stream; throws OutputError if any write failed. Scratch files
  // can then be read by another program.
  void finish_writing();
  // finish_writing(), then moves every output into place and copies every
  // descriptor output to its descriptor, all or none. Throws OutputError;
  // then no temporary file is left.
  void commit();

 private:
  struct Entry;
  struct Replaced;
  // Puts every replaced file back as it was; what could not be, as a text.
  static std::string put_back(std::vector<Replaced>& replaced);
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
