#include "tools/envelope/envelope_writer.h"

#include <nlohmann/json.hpp>

#include "tools/io/problem_json.h"

namespace sfqp::envelope {

namespace {

std::string csv_row(const Demand& demand, const PointResult& point, bool exact) {
  std::string row;
  for (double t : demand) {
    row += io::text_number(t, exact);
    row += ',';
  }
  row += std::to_string(point.iterations);
  row += point.converged ? ",1" : ",0";
  row += point.fell_back ? ",1" : ",0";
  row += point.beyond_reach ? ",1" : ",0";
  for (double a : point.achieved) {
    row += ',';
    row += io::text_number(a, exact);
  }
  return row + "\n";
}

std::string json_row(const Demand& demand, const PointResult& point, bool exact) {
  nlohmann::ordered_json row;
  for (std::size_t i = 0; i < kEqualityCount; ++i) {
    row[entry_name(i)] = io::json_number(demand[i], exact);
  }
  row["iterations"] = point.iterations;
  row["converged"] = point.converged;
  row["fell_back"] = point.fell_back;
  row["beyond_reach"] = point.beyond_reach;
  row["achieved"] = nlohmann::ordered_json::array();
  for (double a : point.achieved) {
    row["achieved"].push_back(io::json_number(a, exact));
  }
  return row.dump() + "\n";
}

}  // namespace

void write_envelope_rows(const Grid& grid, std::span<const PointResult> results,
                         simulate::FileFormat format, bool exact, std::ostream& out) {
  const bool csv = format == simulate::FileFormat::csv;
  if (csv) {
    out << "t0,t1,t2,t3,iterations,converged,fell_back,beyond_reach,achieved_0,achieved_1,"
           "achieved_2,achieved_3\n";
  }
  for (std::size_t k = 0; k < grid.size() && out; ++k) {
    const Demand demand = grid.demand(k);
    out << (csv ? csv_row(demand, results[k], exact) : json_row(demand, results[k], exact));
  }
}

}  // namespace sfqp::envelope
