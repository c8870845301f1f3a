// Writes a run, one row per step, as CSV or JSON Lines.
//
// Every row holds the step, the time and the 16 values of output 1 (JSON Lines
// key "output1", as sfqp solve names them; CSV columns output1_0 ...
// output1_15, element k of the 4x4 matrix in column-major order). With
// diagnostics each row adds what the block cannot say through its ports:
// iterations, converged, objv (empty or null when the solve did not compute
// it), gap, eq_residual_sq, ineq_residual_sq, the demanded target and the
// achieved coupling * output 1 (CSV target_0..3, achieved_0..3), and
// bit_identical (1 when output 1 equals the core API's output1 to the bit).
//
// Numbers are written as the shortest decimal that reads back to the same
// double, or with exact as C99 hexadecimal floats (in either, "inf", "-inf"
// and "nan" where a value is not finite: strings in JSON Lines). The rows go to a
// stream: the caller's io::OutputFiles decides where and when they land.
#pragma once

#include <ostream>
#include <string>

#include "tools/simulate/file_format.h"
#include "tools/simulate/step_record.h"

namespace sfqp::simulate {

struct WriterOptions {
  FileFormat format = FileFormat::csv;
  bool exact = false;
  bool diagnostics = false;
};

class RunWriter {
 public:
  // Writes the CSV header at once.
  RunWriter(std::ostream& out, WriterOptions options);

  void write(const StepRecord& record);

 private:
  WriterOptions options_;
  std::ostream& out_;
  std::string row_;  // the row being written, its room kept from row to row
};

}  // namespace sfqp::simulate
