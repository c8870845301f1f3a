#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace sfqp::fuzz {

void fail(const char* what) {
  std::fprintf(stderr, "fuzz property broken: %s\n", what);
  std::abort();
}

void require(bool holds, const char* what) {
  if (!holds) {
    fail(what);
  }
}

StepInputs step_inputs_from(std::span<const std::uint8_t> bytes, std::size_t slot) {
  StepInputs inputs{};
  const std::size_t begin = std::min(bytes.size(), slot * kStepInputBytes);
  const std::size_t count = std::min(bytes.size() - begin, kStepInputBytes);
  if (count > 0) {
    std::memcpy(inputs.data(), bytes.data() + begin, count);
  }
  return inputs;
}

}  // namespace sfqp::fuzz
