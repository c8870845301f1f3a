#include "tests/support/console_capture.h"

#include "solver/console_sink.h"

namespace sfqp::test {

namespace {

std::string captured;

void append(void* /*context*/, const char* text, std::size_t length) {
  captured.append(text, length);
}

}  // namespace

void begin_console_capture() {
  captured.clear();
  set_console_sink({append, nullptr});
}

std::string end_console_capture() {
  set_console_sink({});
  std::string text;
  text.swap(captured);
  return text;
}

}  // namespace sfqp::test
