// Captures what the core prints through its console sink, for the tests that
// check those lines. Captures do not nest; one at a time.
#pragma once

#include <string>

namespace sfqp::test {

void begin_console_capture();
std::string end_console_capture();

}  // namespace sfqp::test
