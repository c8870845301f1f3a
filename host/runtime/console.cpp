#include "host/runtime/console.h"

#include <cstdio>

namespace sfqp::host {

namespace {

bool capturing = false;
std::string captured;

}  // namespace

void begin_console_capture() {
  captured.clear();
  capturing = true;
}

std::string end_console_capture() {
  capturing = false;
  std::string text;
  text.swap(captured);
  return text;
}

void console_write(const char* text, std::size_t length) {
  if (capturing) {
    captured.append(text, length);
  } else {
    std::fwrite(text, 1, length, stdout);
  }
}

}  // namespace sfqp::host
