// Recorded input signals, one step a line, replayed through the block.
//
// CSV: a header row naming the 68 columns, then one row per step: the 64
// entries of input 1 in column-major order, named c_r<row>_c<column>
// (c_r0_c0, c_r1_c0, c_r2_c0, c_r3_c0, c_r0_c1, ..., c_r3_c15), then the four
// demands t0, t1, t2, t3 (inputs 2 to 5). Numbers are decimal or C99
// hexadecimal floats (what --exact writes), so a recording replays exactly.
//
// JSON Lines: {"coupling": [64 numbers, column-major], "target": [4 numbers]}
// per line; numbers may also be hexadecimal float strings. A "name" is allowed
// and ignored, so problems files replay too.
//
// A file is read a step at a time as the run goes, so that a recording of any
// length runs in the memory of one step. One malformed line fails the whole
// read, with the line and the column (or entry) that is wrong. Blank lines at
// the end of a file are ignored; a blank line between steps is an error, since
// it would silently shift every later step in time.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "tools/io/input_file.h"
#include "tools/simulate/file_format.h"
#include "tools/simulate/step_input.h"

namespace sfqp::simulate {

inline constexpr int kCsvInputColumnCount = kCouplingCount + kEqualityCount;  // 68

// The CSV column names, in order.
const std::array<std::string, kCsvInputColumnCount>& csv_input_columns();

// What is wrong, for instance "line 3, column 17 (c_r0_c4): \"1.2.3\" is not a
// number", after the file's name when the input was opened by name.
struct ReadError {
  std::string message;
};

// The general reading of one CSV step line, numbered line in its messages:
// quoted fields, every number text strtod reads (infinities and NaNs too),
// and what is wrong with anything else. RecordedInput tries the plain reading
// (plain_csv_step.h) first.
std::optional<std::string> read_general_csv_step(std::size_t line, std::string_view text,
                                                 StepInput& step);

class RecordedInput {
 public:
  // Reads in, in format; without a format the first line tells it: JSON Lines
  // when it starts with '{', CSV otherwise.
  RecordedInput(std::istream& in, std::optional<FileFormat> format);
  // Opens the file name in the format its extension names; "-" (or
  // /dev/stdin) reads standard input, its format told by its first line.
  explicit RecordedInput(const std::string& name);
  RecordedInput(const RecordedInput&) = delete;
  RecordedInput& operator=(const RecordedInput&) = delete;

  // The next step into step: false at the end of the steps or when the input
  // cannot be opened or read or a line is malformed, which error() then says.
  // A recording without any step is an error.
  bool next(StepInput& step);
  const std::optional<ReadError>& error() const { return error_; }

  // The size of a regular file opened by name (0 when not known) and how many
  // of its bytes the steps read so far took, for a progress bar.
  std::uintmax_t size() const { return size_; }
  std::uintmax_t bytes_read() const { return bytes_read_; }

 private:
  bool fail(const std::string& message);

  std::optional<io::InputFile> file_;
  std::istream* in_ = nullptr;
  std::optional<FileFormat> format_;
  std::string label_;  // "NAME: " before every message, or nothing
  std::string line_;
  std::size_t line_number_ = 0;
  std::optional<std::size_t> first_blank_;
  bool header_seen_ = false;
  std::size_t steps_ = 0;
  std::uintmax_t size_ = 0;
  std::uintmax_t bytes_read_ = 0;
  std::optional<ReadError> error_;
};

}  // namespace sfqp::simulate
