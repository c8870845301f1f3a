// sfqp solve's reader: one line of JSON Lines problems, any bytes. It must
// answer with a problem or with an error text, and the error text must stay
// bounded and printable however long or binary the line: the input is echoed
// only through the bounded excerpt.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/reader_checks.h"
#include "tools/io/problem_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const auto parsed = sfqp::io::parse_problem_line(line);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    sfqp::fuzz::require_bounded_message(*error);
  }
  return 0;
}
