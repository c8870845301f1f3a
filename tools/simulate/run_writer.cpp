#include "tools/simulate/run_writer.h"

#include <string>

#include "tools/io/number_text.h"

namespace sfqp::simulate {

namespace {

// A comma and the field. (Appending, rather than "," + field, also keeps GCC 12
// at -O3 from a false -Wrestrict warning.)
void add_field(std::string& row, const std::string& field) {
  row += ',';
  row += field;
}

void add_number_field(std::string& row, double value, bool exact) {
  row += ',';
  io::append_text_number(row, value, exact);
}

std::string csv_header(bool diagnostics) {
  std::string header = "step,time";
  for (int k = 0; k < kEffortCount; ++k) {
    add_field(header, "output1_" + std::to_string(k));
  }
  if (diagnostics) {
    header += ",iterations,converged,objv,gap,eq_residual_sq,ineq_residual_sq";
    for (const char* name : {"target_", "achieved_"}) {
      for (int i = 0; i < kEqualityCount; ++i) {
        add_field(header, name + std::to_string(i));
      }
    }
    header += ",bit_identical";
  }
  return header + "\n";
}

// The rows are written straight into the row's string, the numbers by
// io::append_*_number: a run writes millions of them.
void append_csv_row(std::string& row, const StepRecord& r, const WriterOptions& options) {
  const bool exact = options.exact;
  row += std::to_string(r.step);
  add_number_field(row, r.time, exact);
  for (double v : r.output1) {
    add_number_field(row, v, exact);
  }
  if (options.diagnostics) {
    add_field(row, std::to_string(r.iterations));
    row += r.converged ? ",1" : ",0";
    if (r.objv_current) {
      add_number_field(row, r.objv, exact);
    } else {
      row += ',';
    }
    for (double v : {r.gap, r.eq_residual_sq, r.ineq_residual_sq}) {
      add_number_field(row, v, exact);
    }
    for (const auto* values : {&r.target, &r.achieved}) {
      for (double v : *values) {
        add_number_field(row, v, exact);
      }
    }
    row += r.bit_identical ? ",1" : ",0";
  }
  row += '\n';
}

// The JSON library's text of the row's object, members in this order.
void append_json_row(std::string& row, const StepRecord& r, const WriterOptions& options) {
  const bool exact = options.exact;
  row += "{\"step\":";
  row += std::to_string(r.step);
  row += ",\"time\":";
  io::append_json_number(row, r.time, exact);
  row += ",\"output1\":";
  io::append_json_numbers(row, r.output1, exact);
  if (options.diagnostics) {
    row += ",\"iterations\":";
    row += std::to_string(r.iterations);
    row += r.converged ? ",\"converged\":1" : ",\"converged\":0";
    row += ",\"objv\":";
    if (r.objv_current) {
      io::append_json_number(row, r.objv, exact);
    } else {
      row += "null";
    }
    row += ",\"gap\":";
    io::append_json_number(row, r.gap, exact);
    row += ",\"eq_residual_sq\":";
    io::append_json_number(row, r.eq_residual_sq, exact);
    row += ",\"ineq_residual_sq\":";
    io::append_json_number(row, r.ineq_residual_sq, exact);
    row += ",\"target\":";
    io::append_json_numbers(row, r.target, exact);
    row += ",\"achieved\":";
    io::append_json_numbers(row, r.achieved, exact);
    row += r.bit_identical ? ",\"bit_identical\":1" : ",\"bit_identical\":0";
  }
  row += "}\n";
}

}  // namespace

RunWriter::RunWriter(std::ostream& out, WriterOptions options) : options_(options), out_(out) {
  if (options_.format == FileFormat::csv) {
    out_ << csv_header(options_.diagnostics);
  }
}

void RunWriter::write(const StepRecord& record) {
  row_.clear();
  if (options_.format == FileFormat::csv) {
    append_csv_row(row_, record, options_);
  } else {
    append_json_row(row_, record, options_);
  }
  out_ << row_;
}

}  // namespace sfqp::simulate
