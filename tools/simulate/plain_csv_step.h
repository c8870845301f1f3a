// The fast reading of the CSV step lines that recorders and sfqp simulate
// --exact write: 68 unquoted fields, each a decimal or a C99 hexadecimal float
// that std::from_chars reads whole. It answers only for a line of that plain
// shape and leaves every other line to the general reader, which reads quoted
// fields, infinities and NaNs and words every error: whatever it answers, the
// general reader answers the same, to the bit (fuzz_recorded_csv checks it).
#pragma once

#include <string_view>

#include "tools/simulate/step_input.h"

namespace sfqp::simulate {

// Whether line was of the plain shape; step holds its values when it was.
bool read_plain_csv_step(std::string_view line, StepInput& step);

}  // namespace sfqp::simulate
