// What the fuzz targets of the tool's readers check of what they return.
#pragma once

#include <string_view>

#include "tools/simulate/recorded_input.h"

namespace sfqp::fuzz {

// An error text must be short (the input is echoed through the bounded
// excerpt, never whole) and printable ASCII (binary input is escaped).
void require_bounded_message(std::string_view message);

// A recorded input read to its end: at least one step, or a bounded error text.
void require_read_checks(simulate::RecordedInput& input);

}  // namespace sfqp::fuzz
