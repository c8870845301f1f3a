#include "tests/fuzz/reader_checks.h"

#include <cstddef>

#include "tests/fuzz/fuzz_support.h"

namespace sfqp::fuzz {

void require_bounded_message(std::string_view message) {
  // Room for a position, a few excerpts and the library's own words.
  require(message.size() <= 1024, "an error text is at most 1 kB");
  for (const char c : message) {
    const auto byte = static_cast<unsigned char>(c);
    require(byte >= 0x20 && byte < 0x7f, "an error text is printable ASCII");
  }
}

void require_read_checks(simulate::RecordedInput& input) {
  std::size_t steps = 0;
  for (simulate::StepInput step; input.next(step);) {
    ++steps;
  }
  if (const auto& error = input.error()) {
    require_bounded_message(error->message);
  } else {
    require(steps > 0, "a read that succeeds holds at least one step");
  }
}

}  // namespace sfqp::fuzz
