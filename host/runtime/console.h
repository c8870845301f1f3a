// The host's console: where mexPrintf writes. Standard output by default; a
// test or tool can capture the text instead.
#pragma once

#include <cstddef>
#include <limits>
#include <string>

#include "host/runtime/export.h"

namespace sfqp::host {

// While a capture is active, console text is appended to it instead of being
// written to standard output, up to limit bytes: what comes after is dropped,
// so that a chatty solve cannot take all the memory. Captures do not nest; one
// at a time.
SFQP_HOST_EXPORT void begin_console_capture(
    std::size_t limit = std::numeric_limits<std::size_t>::max());
SFQP_HOST_EXPORT std::string end_console_capture();
// Whether the last capture dropped text past its limit.
SFQP_HOST_EXPORT bool console_capture_was_cut();

// Writes text to the console (the capture when active).
void console_write(const char* text, std::size_t length);

}  // namespace sfqp::host
