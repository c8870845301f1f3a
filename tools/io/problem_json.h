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
#include <span>
#include <string>
#include <variant>

#include "api/core_api.h"

namespace sfqp::io {

struct NamedProblem {
  std::optional<std::string> name;
  api::Problem problem;
};

// A parsed problem, or the text of what is wrong with the line. A line of the
// plain shape is read by read_plain_problem_line, any other by
// parse_problem_json; both give the same problem.
std::variant<NamedProblem, std::string> parse_problem_line(const std::string& line);

// Reads the line with the JSON library, whatever its shape; words every error.
std::variant<NamedProblem, std::string> parse_problem_json(const std::string& line);

// A number read from text, or why the text is none: "is not a number", or "is
// beyond the range of a double" (1e400: never silently infinity; "inf" is).
using NumberReading = std::variant<double, std::string>;

// Reads a decimal or C99 hexadecimal float, "nan" or "inf" (any case), whole.
NumberReading read_number_text(const std::string& text);

// Reads a double from a JSON number or a string that read_number_text reads.
NumberReading read_number(const nlohmann::json& value);

// The exact text of a double: C99 %a. Every NaN is written "nan": the sign and
// payload of a NaN are not part of a result, and one spelling lets exact output
// compare byte for byte.
std::string hex_float(double value);

// A double as JSON: with exact, its hex_float string; otherwise a JSON number
// (the shortest text that reads back to the same double) or, for a non-finite
// value, "nan", "inf" or "-inf", since JSON has none of those.
nlohmann::ordered_json json_number(double value, bool exact);

// A double as text (CSV): with exact, or when it is not finite, its hex_float
// ("inf", "-inf", "nan"); otherwise the shortest decimal that reads back to
// the same double, as json_number writes it ("0.001", "1.0", "1e-05").
std::string text_number(double value, bool exact);

// Applies a "settings" object (setting names and numbers or booleans) to
// settings. Returns an error text, or nothing on success.
std::optional<std::string> read_settings(const nlohmann::json& object, SolverSettings& settings);

// A problem line without settings or weights (the caller adds those). With exact,
// every double is a %a string; otherwise a JSON number (shortest text that reads
// back to the same double) or, for a non-finite value, "nan", "inf" or "-inf".
nlohmann::ordered_json problem_to_json(const std::optional<std::string>& name,
                                       std::span<const double, kCouplingCount> coupling,
                                       std::span<const double, kEqualityCount> target, bool exact);

// The result line: name (when given), iterations, converged, output1, u, e, y,
// s, z, objv (null when stale), gap, eq_residual_sq, ineq_residual_sq, and
// console when the progress table or a diagnostic was switched on. Doubles are
// written as in problem_to_json.
nlohmann::ordered_json result_to_json(const std::optional<std::string>& name,
                                      const api::Result& result, bool exact, bool include_console);

// Whether a problem's settings switch any printing on.
bool prints_anything(const api::Problem& problem);

}  // namespace sfqp::io
