// Reading a 32-bit integer out of a double that came from outside the module.
#pragma once

#include <cstdint>
#include <optional>

namespace sfqp::block {

// The value converted toward zero, or nothing when it has no 32-bit integer
// part: NaN, an infinity, or a value outside the range. Converting such a
// double directly would be undefined.
inline std::optional<std::int32_t> int32_toward_zero(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace sfqp::block
