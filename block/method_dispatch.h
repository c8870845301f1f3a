// Method calls: the host's numeric method codes mapped to the block's methods.
#pragma once

#include <cstdint>
#include <optional>

#include "interfaces/host_abi/simstruct.h"

namespace sfqp::block {

inline constexpr char kInvalidFlagMessage[] = "Invalid flag encountered in simulink";

// Runs the method for code on S, or stores the error text for a code the block
// has no method for; nothing (no usable code) counts as an invalid flag. The
// port index and proposed values come from the record as the host set them.
void dispatch_method(SimStruct* S, std::optional<std::int32_t> code);

}  // namespace sfqp::block
