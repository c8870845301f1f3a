#include "host/runtime/console.h"

#include <cstdio>

namespace sfqp::host {

namespace {

bool capturing = false;
std::string captured;
std::size_t capture_limit = 0;
bool capture_cut = false;

}  // namespace

void begin_console_capture(std::size_t limit) {
  captured.clear();
  capture_limit = limit;
  capture_cut = false;
  capturing = true;
}

bool console_capture_was_cut() {
  return capture_cut;
}

std::string end_console_capture() {
  capturing = false;
  std::string text;
  text.swap(captured);
  return text;
}

void console_write(const char* text, std::size_t length) {
  if (capturing) {
    const std::size_t room = capture_limit - captured.size();
    capture_cut = capture_cut || length > room;
    captured.append(text, length < room ? length : room);
  } else {
    std::fwrite(text, 1, length, stdout);
  }
}

}  // namespace sfqp::host
