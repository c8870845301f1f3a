// sfqp solve's result line and sfqp generate's problem line written straight
// into a string: the same text as result_to_json(...).dump() and
// problem_to_json(...).dump() with invalid UTF-8 replaced, built without a JSON
// value in between, so that writing a line costs about what solving it does.
// With exact a line is byte for byte that text; otherwise each decimal may
// differ from the JSON library's only in being shorter, and reads back to the
// same double.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "api/core_api.h"

namespace sfqp::io {

// Appends the result line, without its line end, to out.
void append_result_line(std::string& out, const std::optional<std::string>& name,
                        const api::Result& result, bool exact, bool include_console);

// Appends the problem line {"name", "coupling", "target"}, without its closing
// brace, so that the caller may add members before it.
void append_problem_line_start(std::string& out, const std::optional<std::string>& name,
                               std::span<const double, kCouplingCount> coupling,
                               std::span<const double, kEqualityCount> target, bool exact);

}  // namespace sfqp::io
