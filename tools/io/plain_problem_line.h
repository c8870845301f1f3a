// The fast reading of the problem lines that `sfqp generate` and most users
// write: one JSON object holding "coupling" (64 numbers), "target" (4) and
// optionally a "name" without escapes, nothing else. It answers only when the
// line is exactly that, and otherwise leaves the line to the full JSON reader,
// which finds and words every error: whatever it answers, the full reader
// answers the same, to the bit (the fuzz target fuzz_problem_line checks it).
#pragma once

#include <optional>
#include <string_view>

#include "tools/io/problem_json.h"

namespace sfqp::io {

// The problem of a line of that plain shape, or nothing for any other line,
// well-formed or not.
std::optional<NamedProblem> read_plain_problem_line(std::string_view line);

}  // namespace sfqp::io
