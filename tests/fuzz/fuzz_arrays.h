// Arrays of every kind a caller can hand the module, made from fuzz bytes:
// doubles (real or complex), singles, int32, logicals and text, of any shape
// up to a few hundred elements, empty included, with values drawn from the
// edges of the double range as often as from raw bit patterns.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include "host/runtime/arrays.h"

namespace sfqp::fuzz {

// A double: one of the values where conversions and comparisons break (NaN,
// infinities, huge, tiny and fractional numbers, the 32-bit limits, the
// record version), or raw bits.
double pick_double(FuzzedDataProvider& in);

sfqp::host::ArrayPtr pick_array(FuzzedDataProvider& in);

}  // namespace sfqp::fuzz
