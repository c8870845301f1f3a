#include "tools/io/result_line.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
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

// Where a number's text stands in the line.
struct TextSlice {
  std::size_t start = 0;
  std::size_t size = 0;
};

// Appends values as a JSON array, noting where each value's text stands in
// written (when given). A value with the same bits as earlier[i], whose text
// earlier_text[i] notes, has the same text, so it is copied rather than
// formatted again: u is output1 unless the block fell back, and the first half
// of s is mostly u, and formatting is the dear part of a line. The texts are
// gathered in a buffer and appended a buffer at a time.
void append_numbers(std::string& out, std::span<const double> values, bool exact,
                    std::span<TextSlice> written = {}, std::span<const double> earlier = {},
                    std::span<const TextSlice> earlier_text = {}) {
  char buffer[2048];
  char* end = buffer;
  *end++ = '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    // Room for a comma and any number's text (write_decimal may write past
    // its text, never past kNumberTextBytes).
    if (buffer + sizeof buffer - end < static_cast<std::ptrdiff_t>(kNumberTextBytes + 1)) {
      out.append(buffer, end);
      end = buffer;
    }
    if (i != 0) {
      *end++ = ',';
    }
    const std::size_t start = out.size() + static_cast<std::size_t>(end - buffer);
    if (i < earlier.size() &&
        std::bit_cast<std::uint64_t>(values[i]) == std::bit_cast<std::uint64_t>(earlier[i])) {
      const TextSlice same = earlier_text[i];  // in out: an earlier call's
      std::memcpy(end, out.data() + same.start, same.size);
      end += same.size;
    } else {
      end = write_json_number(end, values[i], exact);
    }
    if (i < written.size()) {
      written[i] = {start, out.size() + static_cast<std::size_t>(end - buffer) - start};
    }
  }
  *end++ = ']';
  out.append(buffer, end);
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
  std::array<TextSlice, kEffortCount> output1_text;
  std::array<TextSlice, kEffortCount> u_text;
  append_key(out, "output1");
  append_numbers(out, result.output1, exact, output1_text);
  out += ',';
  append_key(out, "u");
  append_numbers(out, result.u, exact, u_text, result.output1, output1_text);
  out += ',';
  append_key(out, "e");
  append_numbers(out, result.e, exact);
  out += ',';
  append_key(out, "y");
  append_numbers(out, result.y, exact);
  out += ',';
  append_key(out, "s");
  append_numbers(out, result.s, exact, {}, result.u, u_text);
  out += ',';
  append_key(out, "z");
  append_numbers(out, result.z, exact);
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
  append_numbers(out, coupling, exact);
  out += ',';
  append_key(out, "target");
  append_numbers(out, target, exact);
}

}  // namespace sfqp::io
