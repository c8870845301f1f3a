// The module's console is its host's: the core's lines go out through
// mexPrintf, unchanged.
#pragma once

#include <cstddef>

#include "interfaces/host_abi/host_services.h"
#include "solver/console_sink.h"

namespace sfqp::block {

inline void print_to_host(void* /*context*/, const char* text, std::size_t /*length*/) {
  mexPrintf("%s", text);
}

inline constexpr ConsoleSink kHostConsole{print_to_host, nullptr};

}  // namespace sfqp::block
