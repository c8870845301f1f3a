#include "tools/io/problem_json.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <span>
#include <utility>

#include "tools/io/excerpt.h"
#include "tools/io/json_text.h"
#include "tools/io/number_text.h"
#include "tools/io/plain_problem_line.h"

namespace sfqp::io {

using nlohmann::json;
using nlohmann::ordered_json;

NumberReading read_number_text(const std::string& text) {
  static const std::string kNotANumber = "is not a number";
  if (text.empty()) {
    return kNotANumber;
  }
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) {
    return kNotANumber;
  }
  // An overflow gives infinity with ERANGE; an underflow (a subnormal, which
  // --exact writes) also sets ERANGE and is read as it is.
  if (errno == ERANGE && std::isinf(parsed)) {
    return std::string("is beyond the range of a double");
  }
  return parsed;
}

NumberReading read_number(const json& value) {
  if (value.is_number()) {
    return value.get<double>();
  }
  if (!value.is_string()) {
    return std::string("is not a number");
  }
  return read_number_text(value.get_ref<const std::string&>());
}

std::string hex_float(double value) {
  char text[kNumberTextBytes];
  return {text, write_hex_float(text, value)};
}

namespace {

template <std::size_t N>
std::optional<std::string> read_vector(const json& object, const char* key,
                                       std::array<double, N>& out) {
  const auto found = object.find(key);
  if (found == object.end()) {
    return std::string("missing \"") + key + "\"";
  }
  if (!found->is_array()) {
    return std::string("\"") + key + "\" must be an array of " + std::to_string(N) + " numbers";
  }
  if (found->size() != N) {
    return std::string("\"") + key + "\" has " + std::to_string(found->size()) +
           " entries, expected " + std::to_string(N);
  }
  for (std::size_t i = 0; i < N; ++i) {
    const auto number = read_number((*found)[i]);
    if (const auto* problem = std::get_if<std::string>(&number)) {
      return std::string("\"") + key + "\" entry " + std::to_string(i) + " " + *problem;
    }
    out[i] = std::get<double>(number);
  }
  return std::nullopt;
}

template <std::size_t N>
std::optional<std::string> read_weights(const json& object, const char* key,
                                        std::array<double, N>& out) {
  if (auto error = read_vector(object, key, out)) {
    return error;
  }
  for (std::size_t i = 0; i < N; ++i) {
    if (auto error = api::check_weight(out[i])) {
      return std::string("\"") + key + "\" entry " + std::to_string(i) + " " + *error;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> read_settings(const json& object, SolverSettings& settings) {
  if (!object.is_object()) {
    return "\"settings\" must be an object of setting names and values";
  }
  for (const auto& [key, value] : object.items()) {
    const auto number =
        value.is_boolean() ? NumberReading(value.get<bool>() ? 1.0 : 0.0) : read_number(value);
    if (const auto* problem = std::get_if<std::string>(&number)) {
      return "setting " + excerpt(key) + " " + *problem;
    }
    if (auto error = api::apply_setting(settings, key, std::get<double>(number))) {
      return "setting " + excerpt(key) + " " + *error;
    }
  }
  return std::nullopt;
}

// JSON has no NaN or infinity (a JSON writer turns them into null, losing the
// value): those are written as the strings that read_number reads back.
ordered_json json_number(double value, bool exact) {
  if (exact || !std::isfinite(value)) {
    return hex_float(value);
  }
  return value;
}

std::string text_number(double value, bool exact) {
  std::string text;
  append_text_number(text, value, exact);
  return text;
}

namespace {

ordered_json doubles(std::span<const double> values, bool exact) {
  ordered_json out = ordered_json::array();
  for (double v : values) {
    out.push_back(json_number(v, exact));
  }
  return out;
}

}  // namespace

std::variant<NamedProblem, std::string> parse_problem_line(const std::string& line) {
  if (auto plain = read_plain_problem_line(line)) {
    return std::move(*plain);
  }
  return parse_problem_json(line);
}

std::variant<NamedProblem, std::string> parse_problem_json(const std::string& line) {
  auto parsed_text = parse_json_text(line);
  if (const auto* error = std::get_if<JsonError>(&parsed_text)) {
    return "not valid JSON at column " + std::to_string(error->column) + ": " + error->detail;
  }
  const json& object = std::get<json>(parsed_text);
  if (!object.is_object()) {
    return std::string("a problem must be a JSON object");
  }
  static constexpr const char* kKnownKeys[] = {"name", "coupling", "target", "settings", "weights"};
  for (const auto& [key, value] : object.items()) {
    bool known = false;
    for (const char* k : kKnownKeys) {
      known = known || key == k;
    }
    if (!known) {
      return "unknown key " + excerpt(key);
    }
  }
  NamedProblem parsed;
  if (const auto name = object.find("name"); name != object.end()) {
    if (!name->is_string()) {
      return std::string("\"name\" must be a string");
    }
    parsed.name = name->get<std::string>();
  }
  if (auto error = read_vector(object, "coupling", parsed.problem.coupling)) {
    return *error;
  }
  if (auto error = read_vector(object, "target", parsed.problem.target)) {
    return *error;
  }
  if (const auto settings = object.find("settings"); settings != object.end()) {
    SolverSettings overridden = api::default_settings();
    if (auto error = read_settings(*settings, overridden)) {
      return *error;
    }
    parsed.problem.settings = overridden;
  }
  if (const auto weights = object.find("weights"); weights != object.end()) {
    if (!weights->is_object()) {
      return std::string("\"weights\" must be an object");
    }
    for (const auto& [key, value] : weights->items()) {
      if (key != "error_weight" && key != "effort_weight") {
        return "unknown weight " + excerpt(key);
      }
    }
    if (weights->contains("error_weight")) {
      if (auto error = read_weights(*weights, "error_weight", parsed.problem.error_weight)) {
        return *error;
      }
    }
    if (weights->contains("effort_weight")) {
      if (auto error = read_weights(*weights, "effort_weight", parsed.problem.effort_weight)) {
        return *error;
      }
    }
  }
  return parsed;
}

ordered_json problem_to_json(const std::optional<std::string>& name,
                             std::span<const double, kCouplingCount> coupling,
                             std::span<const double, kEqualityCount> target, bool exact) {
  ordered_json out;
  if (name) {
    out["name"] = *name;
  }
  out["coupling"] = doubles(coupling, exact);
  out["target"] = doubles(target, exact);
  return out;
}

bool prints_anything(const api::Problem& problem) {
  return problem.settings &&
         (problem.settings->print_progress != 0 || problem.settings->print_refinement != 0 ||
          problem.settings->print_kkt_checks != 0);
}

ordered_json result_to_json(const std::optional<std::string>& name, const api::Result& result,
                            bool exact, bool include_console) {
  ordered_json out;
  if (name) {
    out["name"] = *name;
  }
  out["iterations"] = result.iterations;
  out["converged"] = result.converged ? 1 : 0;
  out["output1"] = doubles(result.output1, exact);
  out["u"] = doubles(result.u, exact);
  out["e"] = doubles(result.e, exact);
  out["y"] = doubles(result.y, exact);
  out["s"] = doubles(result.s, exact);
  out["z"] = doubles(result.z, exact);
  out["objv"] = result.objv_current ? json_number(result.objv, exact) : ordered_json(nullptr);
  out["gap"] = json_number(result.gap, exact);
  out["eq_residual_sq"] = json_number(result.eq_residual_sq, exact);
  out["ineq_residual_sq"] = json_number(result.ineq_residual_sq, exact);
  if (include_console) {
    out["console"] = result.console;
  }
  return out;
}

}  // namespace sfqp::io
