#include "tools/io/result_line.h"

#include <nlohmann/json.hpp>

#include <algorithm>
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

void append_number(std::string& out, double value, bool exact) {
  char text[kNumberTextBytes];
  out.append(text, write_json_number(text, value, exact));
}

void append_numbers(std::string& out, std::span<const double> values, bool exact) {
  out += '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i != 0) {
      out += ',';
    }
    append_number(out, values[i], exact);
  }
  out += ']';
}

}  // namespace

void append_result_line(std::string& out, const std::optional<std::string>& name,
                        const api::Result& result, bool exact, bool include_console) {
  out += '{';
  if (name) {
    append_key(out, "name");
    append_string(out, *name);
    out += ',';
  }
  append_key(out, "iterations");
  out += std::to_string(result.iterations);
  out += ',';
  append_key(out, "converged");
  out += result.converged ? '1' : '0';
  out += ',';
  append_key(out, "output1");
  append_numbers(out, result.output1, exact);
  out += ',';
  append_key(out, "u");
  append_numbers(out, result.u, exact);
  out += ',';
  append_key(out, "e");
  append_numbers(out, result.e, exact);
  out += ',';
  append_key(out, "y");
  append_numbers(out, result.y, exact);
  out += ',';
  append_key(out, "s");
  append_numbers(out, result.s, exact);
  out += ',';
  append_key(out, "z");
  append_numbers(out, result.z, exact);
  out += ',';
  append_key(out, "objv");
  if (result.objv_current) {
    append_number(out, result.objv, exact);
  } else {
    out += "null";
  }
  out += ',';
  append_key(out, "gap");
  append_number(out, result.gap, exact);
  out += ',';
  append_key(out, "eq_residual_sq");
  append_number(out, result.eq_residual_sq, exact);
  out += ',';
  append_key(out, "ineq_residual_sq");
  append_number(out, result.ineq_residual_sq, exact);
  if (include_console) {
    out += ',';
    append_key(out, "console");
    append_string(out, result.console);
  }
  out += '}';
}

}  // namespace sfqp::io
