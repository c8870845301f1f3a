#include "tools/simulate/run_writer.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <string>

#include "tools/io/problem_json.h"

namespace sfqp::simulate {

namespace {

using nlohmann::ordered_json;

template <std::size_t N>
ordered_json json_numbers(const std::array<double, N>& values, bool exact) {
  ordered_json out = ordered_json::array();
  for (double v : values) {
    out.push_back(io::json_number(v, exact));
  }
  return out;
}

// A comma and the field. (Appending, rather than "," + field, also keeps GCC 12
// at -O3 from a false -Wrestrict warning.)
void add_field(std::string& row, const std::string& field) {
  row += ',';
  row += field;
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

std::string csv_row(const StepRecord& r, const WriterOptions& options) {
  const bool exact = options.exact;
  std::string row = std::to_string(r.step);
  add_field(row, io::text_number(r.time, exact));
  for (double v : r.output1) {
    add_field(row, io::text_number(v, exact));
  }
  if (options.diagnostics) {
    add_field(row, std::to_string(r.iterations));
    add_field(row, r.converged ? "1" : "0");
    add_field(row, r.objv_current ? io::text_number(r.objv, exact) : std::string());
    for (double v : {r.gap, r.eq_residual_sq, r.ineq_residual_sq}) {
      add_field(row, io::text_number(v, exact));
    }
    for (const auto* values : {&r.target, &r.achieved}) {
      for (double v : *values) {
        add_field(row, io::text_number(v, exact));
      }
    }
    row += r.bit_identical ? ",1" : ",0";
  }
  return row + "\n";
}

std::string json_row(const StepRecord& r, const WriterOptions& options) {
  const bool exact = options.exact;
  ordered_json row;
  row["step"] = r.step;
  row["time"] = io::json_number(r.time, exact);
  row["output1"] = json_numbers(r.output1, exact);
  if (options.diagnostics) {
    row["iterations"] = r.iterations;
    row["converged"] = r.converged ? 1 : 0;
    row["objv"] = r.objv_current ? io::json_number(r.objv, exact) : ordered_json(nullptr);
    row["gap"] = io::json_number(r.gap, exact);
    row["eq_residual_sq"] = io::json_number(r.eq_residual_sq, exact);
    row["ineq_residual_sq"] = io::json_number(r.ineq_residual_sq, exact);
    row["target"] = json_numbers(r.target, exact);
    row["achieved"] = json_numbers(r.achieved, exact);
    row["bit_identical"] = r.bit_identical ? 1 : 0;
  }
  return row.dump() + "\n";
}

}  // namespace

RunWriter::RunWriter(std::ostream& out, WriterOptions options) : options_(options), out_(out) {
  if (options_.format == FileFormat::csv) {
    out_ << csv_header(options_.diagnostics);
  }
}

void RunWriter::write(const StepRecord& record) {
  out_ << (options_.format == FileFormat::csv ? csv_row(record, options_)
                                              : json_row(record, options_));
}

}  // namespace sfqp::simulate
