// sfqp simulate's CSV reader of recorded input, any bytes as the file. It must
// return the steps or one error text, and that text must stay bounded and
// printable however long or binary the file: the input is echoed only through
// the bounded excerpt. Each line the plain reading answers for must read the
// same, to the bit, through the general reading.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/reader_checks.h"
#include "tools/simulate/plain_csv_step.h"
#include "tools/simulate/recorded_input.h"

namespace {

void require_plain_agrees(std::string_view line) {
  sfqp::simulate::StepInput plain;
  if (!sfqp::simulate::read_plain_csv_step(line, plain)) {
    return;
  }
  sfqp::simulate::StepInput general;
  sfqp::fuzz::require(!sfqp::simulate::read_general_csv_step(1, line, general),
                      "a line read plainly reads generally too");
  sfqp::fuzz::require(std::memcmp(&plain, &general, sizeof plain) == 0,
                      "the plain and general readings agree to the bit");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream in(text);
  sfqp::simulate::RecordedInput input(in, sfqp::simulate::FileFormat::csv);
  sfqp::fuzz::require_read_checks(input);

  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    require_plain_agrees(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return 0;
}
