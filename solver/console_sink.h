// The core's console: where its progress table and its diagnostic lines go.
//
// The core never names a host. Whoever hosts it sets the sink: the module
// binds it to the host's printing, the C++ API to the caller's choice or a
// captured string, an embedded build to nothing. While no sink is set the
// core prints nothing and formats nothing.
#pragma once

#include <cstddef>

namespace sfqp {

struct ConsoleSink {
  // Receives one formatted piece of text, NUL-terminated at text[length].
  void (*write)(void* context, const char* text, std::size_t length) = nullptr;
  void* context = nullptr;
};

// The sink is process-wide, like the solver's records: set it between solves.
void set_console_sink(ConsoleSink sink);
ConsoleSink console_sink();

// C99 printf formatting into a bounded buffer on the stack, handed to the sink:
// no allocation. The buffer holds every line the core prints, whatever the
// values (a fixed-point double takes at most 317 characters).
[[gnu::format(printf, 1, 2)]] void console_print(const char* format, ...);

}  // namespace sfqp
