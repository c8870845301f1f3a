// mexPrintf: C99 printf formatting into a bounded stack buffer, falling back to
// an exactly sized heap buffer for longer text, written to the host console.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "host/runtime/console.h"
#include "host/runtime/export.h"

extern "C" SFQP_HOST_EXPORT int mexPrintf(const char* format, ...) {
  char buffer[1024];
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) {
    va_end(again);
    return length;
  }
  const auto size = static_cast<std::size_t>(length);
  if (size < sizeof buffer) {
    sfqp::host::console_write(buffer, size);
  } else {
    std::string text(size + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    sfqp::host::console_write(text.data(), size);
  }
  va_end(again);
  return length;
}
