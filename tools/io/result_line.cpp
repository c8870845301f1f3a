#include "tools/io/result_line.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <span>

#include "tools/io/number_text.h"

namespace sfqp::io {

namespace {

// Printable ASCII other than the quote and the backslash stands in a JSON
// string as it is; anything else goes through the JSON library's writer,
// which escapes it and replaces invalid UTF-8.
bool is_plain(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return c >= 0x20 && c < 0x7f && c != '"' && c != '\\'; });
}

void append_string(std::string& out, const std::string& text) {
  if (is_plain(text)) {
    out += '"';
    out += text;
    out += '"';
    return;
  }
  out += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void append_key(std::string& out, const char* key) {
  out += '"';
  out += key;
  out += "\":";
}

// The line's opening brace and its name, when it has one.
void open_line(std::string& out, const std::optional<std::string>& name) {
  out += '{';
  if (name) {
    append_key(out, "name");
    append_string(out, *name);
    out += ',';
  }
}

}  // namespace

void append_result_line(std::string& out, const std::optional<std::string>& name,
                        const api::Result& result, bool exact, bool include_console) {
  open_line(out, name);
  append_key(out, "iterations");
  out += std::to_string(result.iterations);
  out += ',';
  append_key(out, "converged");
  out += result.converged ? '1' : '0';
  out += ',';
  std::array<NumberText, kEffortCount> output1_text;
  std::array<NumberText, kEffortCount> u_text;
  append_key(out, "output1");
  append_json_numbers(out, result.output1, exact, output1_text);
  out += ',';
  append_key(out, "u");
  append_json_numbers(out, result.u, exact, u_text, result.output1, output1_text);
  out += ',';
  append_key(out, "e");
  append_json_numbers(out, result.e, exact);
  out += ',';
  append_key(out, "y");
  append_json_numbers(out, result.y, exact);
  out += ',';
  append_key(out, "s");
  append_json_numbers(out, result.s, exact, {}, result.u, u_text);
  out += ',';
  append_key(out, "z");
  append_json_numbers(out, result.z, exact);
  out += ',';
  append_key(out, "objv");
  if (result.objv_current) {
    append_json_number(out, result.objv, exact);
  } else {
    out += "null";
  }
  out += ',';
  append_key(out, "gap");
  append_json_number(out, result.gap, exact);
  out += ',';
  append_key(out, "eq_residual_sq");
  append_json_number(out, result.eq_residual_sq, exact);
  out += ',';
  append_key(out, "ineq_residual_sq");
  append_json_number(out, result.ineq_residual_sq, exact);
  if (include_console) {
    out += ',';
    append_key(out, "console");
    append_string(out, result.console);
  }
  out += '}';
}

void append_problem_line_start(std::string& out, const std::optional<std::string>& name,
                               std::span<const double, kCouplingCount> coupling,
                               std::span<const double, kEqualityCount> target, bool exact) {
  open_line(out, name);
  append_key(out, "coupling");
  append_json_numbers(out, coupling, exact);
  out += ',';
  append_key(out, "target");
  append_json_numbers(out, target, exact);
}

}  // namespace sfqp::io
