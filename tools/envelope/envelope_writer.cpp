#include "tools/envelope/envelope_writer.h"

#include <string>

#include "tools/io/number_text.h"

namespace sfqp::envelope {

namespace {

// The rows are written straight into the row's string, the numbers by
// io::append_*_number; the JSON row is the JSON library's text of the object.
void append_csv_row(std::string& row, const Demand& demand, const PointResult& point, bool exact) {
  for (double t : demand) {
    io::append_text_number(row, t, exact);
    row += ',';
  }
  row += std::to_string(point.iterations);
  row += point.converged ? ",1" : ",0";
  row += point.fell_back ? ",1" : ",0";
  row += point.beyond_reach ? ",1" : ",0";
  for (double a : point.achieved) {
    row += ',';
    io::append_text_number(row, a, exact);
  }
  row += '\n';
}

void append_json_row(std::string& row, const Demand& demand, const PointResult& point, bool exact) {
  row += '{';
  for (std::size_t i = 0; i < kEqualityCount; ++i) {
    row += '"';
    row += entry_name(i);
    row += "\":";
    io::append_json_number(row, demand[i], exact);
    row += ',';
  }
  row += "\"iterations\":";
  row += std::to_string(point.iterations);
  row += point.converged ? ",\"converged\":1" : ",\"converged\":0";
  row += point.fell_back ? ",\"fell_back\":1" : ",\"fell_back\":0";
  row += point.beyond_reach ? ",\"beyond_reach\":1" : ",\"beyond_reach\":0";
  row += ",\"achieved\":";
  io::append_json_numbers(row, point.achieved, exact);
  row += "}\n";
}

}  // namespace

void write_envelope_rows(const Grid& grid, std::span<const PointResult> results,
                         simulate::FileFormat format, bool exact, std::ostream& out) {
  const bool csv = format == simulate::FileFormat::csv;
  if (csv) {
    out << "t0,t1,t2,t3,iterations,converged,fell_back,beyond_reach,achieved_0,achieved_1,"
           "achieved_2,achieved_3\n";
  }
  std::string row;
  for (std::size_t k = 0; k < grid.size() && out; ++k) {
    const Demand demand = grid.demand(k);
    row.clear();
    if (csv) {
      append_csv_row(row, demand, results[k], exact);
    } else {
      append_json_row(row, demand, results[k], exact);
    }
    out << row;
  }
}

}  // namespace sfqp::envelope
