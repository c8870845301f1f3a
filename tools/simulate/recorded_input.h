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
// A file is read whole before anything runs: one malformed line fails the whole
// read, with the line and the column (or entry) that is wrong. Blank lines at
// the end of a file are ignored; a blank line between steps is an error, since
// it would silently shift every later step in time.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <variant>

#include "tools/simulate/step_input.h"

namespace sfqp::simulate {

inline constexpr int kCsvInputColumnCount = kCouplingCount + kEqualityCount;  // 68

// The CSV column names, in order.
const std::array<std::string, kCsvInputColumnCount>& csv_input_columns();

// What is wrong, for instance "line 3, column 17 (c_r0_c4): \"1.2.3\" is not a
// number". read_recorded_input prefixes the file name.
struct ReadError {
  std::string message;
};

std::variant<StepInputs, ReadError> read_csv_input(std::istream& in);
std::variant<StepInputs, ReadError> read_json_lines_input(std::istream& in);

// Opens and reads the file name in the format its extension names. "-" (or
// /dev/stdin) reads standard input, JSON Lines when its first character is
// '{', CSV otherwise.
std::variant<StepInputs, ReadError> read_recorded_input(const std::string& name);

}  // namespace sfqp::simulate
