// The host's console: where mexPrintf writes. Standard output by default; a
// test or tool can capture the text instead.
#pragma once

#include <string>

#include "host/runtime/export.h"

namespace sfqp::host {

// While a capture is active, console text is appended to it instead of being
// written to standard output. Captures do not nest; one at a time.
SFQP_HOST_EXPORT void begin_console_capture();
SFQP_HOST_EXPORT std::string end_console_capture();

// Writes text to the console (the capture when active).
void console_write(const char* text, std::size_t length);

}  // namespace sfqp::host
