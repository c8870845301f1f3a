// What the fuzz targets of the tool's readers check of what they return.
#pragma once

#include <string_view>
#include <variant>

#include "tools/simulate/recorded_input.h"

namespace sfqp::fuzz {

// An error text must be short (the input is echoed through the bounded
// excerpt, never whole) and printable ASCII (binary input is escaped).
void require_bounded_message(std::string_view message);

// A recorded input read: the steps, at least one, or a bounded error text.
void require_read_checks(const std::variant<simulate::StepInputs, simulate::ReadError>& read);

}  // namespace sfqp::fuzz
