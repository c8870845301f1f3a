#include "solver/console_sink.h"

#include <cstdarg>
#include <cstdio>

namespace sfqp {

namespace {

constexpr std::size_t kLineBufferSize = 512;

ConsoleSink sink;

}  // namespace

void set_console_sink(ConsoleSink new_sink) {
  sink = new_sink;
}

ConsoleSink console_sink() {
  return sink;
}

// printf-style, as the hosts' own printing is: the sink receives formatted text.
void console_print(const char* format, ...) {  // NOLINT(cert-dcl50-cpp)
  if (sink.write == nullptr) {
    return;
  }
  char line[kLineBufferSize];
  std::va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (length < 0) {
    return;
  }
  const auto size = static_cast<std::size_t>(length);
  sink.write(sink.context, line, size < sizeof line ? size : sizeof line - 1);
}

}  // namespace sfqp
