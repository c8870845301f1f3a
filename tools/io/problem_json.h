// The JSON Lines formats of problems and results, shared by the sfqp tool, the
// tests and the golden-file generator.
//
// A problem line: {"name": optional, "coupling": [64], "target": [4],
// "settings": {optional overrides by field name}, "weights": optional
// {"error_weight": [4], "effort_weight": [16]}}. Numbers may be JSON numbers or
// C99 hexadecimal float strings ("0x1.8p+1", "nan", "inf"), so exact output
// reads back exactly.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <variant>

#include "api/core_api.h"

namespace sfqp::io {

struct NamedProblem {
  std::optional<std::string> name;
  api::Problem problem;
};

// A parsed problem, or the text of what is wrong with the line.
std::variant<NamedProblem, std::string> parse_problem_line(const std::string& line);

// Reads a double from a JSON number or a hexadecimal/decimal float string.
std::optional<double> read_number(const nlohmann::json& value);

// The exact text of a double: C99 %a.
std::string hex_float(double value);

// The result line: name (when given), iterations, converged, output1, u, e, y,
// s, z, objv (null when stale), gap, eq_residual_sq, ineq_residual_sq, and
// console when the progress table or a diagnostic was switched on. With exact,
// every double is a %a string.
nlohmann::ordered_json result_to_json(const std::optional<std::string>& name,
                                      const api::Result& result, bool exact, bool include_console);

// Whether a problem's settings switch any printing on.
bool prints_anything(const api::Problem& problem);

}  // namespace sfqp::io
