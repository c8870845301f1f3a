// sfqp simulate's JSON Lines reader of recorded input, any bytes as the file. It must
// return the steps or one error text, and that text must stay bounded and
// printable however long or binary the file: the input is echoed only through
// the bounded excerpt.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/reader_checks.h"
#include "tools/simulate/recorded_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  sfqp::simulate::RecordedInput input(in, sfqp::simulate::FileFormat::json_lines);
  sfqp::fuzz::require_read_checks(input);
  return 0;
}
