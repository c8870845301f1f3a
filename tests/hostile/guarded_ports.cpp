#include "tests/hostile/guarded_ports.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>

#include "interfaces/host_abi/simstruct.h"

namespace sfqp::test {

namespace {

constexpr std::size_t kInputWidths[] = {64, 1, 1, 1, 1};
constexpr std::size_t kOutputWidths[] = {16, 1};
constexpr std::size_t kGuardWords = 8;
constexpr std::uint64_t kGuardPattern = 0xa5a5a5a5a5a5a5a5u;
// Output 2 holds a value the block must never overwrite.
constexpr double kOutput2Value = -1234.5;

}  // namespace

GuardedPorts::GuardedPorts() {
  std::size_t offset = kGuardWords;
  for (const std::size_t width : kInputWidths) {
    inputs_.push_back({offset, width});
    offset += width + kGuardWords;
  }
  for (const std::size_t width : kOutputWidths) {
    outputs_.push_back({offset, width});
    offset += width + kGuardWords;
  }
  words_.assign(offset, std::bit_cast<double>(kGuardPattern));
  for (std::size_t p = 0; p < inputs_.size(); ++p) {
    for (double& value : input(static_cast<int>(p))) {
      value = 0.0;
    }
  }
  output(1)[0] = kOutput2Value;
  arm();
}

bool GuardedPorts::attach(SimStruct_tag* record) {
  SimStruct* S = record;
  if (ssGetNumInputPorts(S) != static_cast<int>(inputs_.size()) ||
      ssGetNumOutputPorts(S) != static_cast<int>(outputs_.size()) || S->inputPorts == nullptr ||
      S->outputPorts == nullptr) {
    return false;
  }
  for (std::size_t p = 0; p < inputs_.size(); ++p) {
    if (ssGetInputPortWidth(S, static_cast<int>(p)) != static_cast<int>(inputs_[p].count)) {
      return false;
    }
  }
  for (std::size_t p = 0; p < outputs_.size(); ++p) {
    if (ssGetOutputPortWidth(S, static_cast<int>(p)) != static_cast<int>(outputs_[p].count)) {
      return false;
    }
  }
  for (std::size_t p = 0; p < inputs_.size(); ++p) {
    S->inputPorts[p].signal = input(static_cast<int>(p)).data();
  }
  for (std::size_t p = 0; p < outputs_.size(); ++p) {
    S->outputPorts[p].signal = output(static_cast<int>(p)).data();
  }
  return true;
}

std::span<double> GuardedPorts::input(int port) {
  const Region& region = inputs_.at(static_cast<std::size_t>(port));
  return {&words_[region.offset], region.count};
}

std::span<double> GuardedPorts::output(int port) {
  const Region& region = outputs_.at(static_cast<std::size_t>(port));
  return {&words_[region.offset], region.count};
}

void GuardedPorts::arm() {
  for (double& value : output(0)) {
    value = std::numeric_limits<double>::quiet_NaN();
  }
  armed_ = words_;
}

std::optional<std::string> GuardedPorts::fault() const {
  const Region& output1 = outputs_[0];
  for (std::size_t k = 0; k < words_.size(); ++k) {
    if (k >= output1.offset && k < output1.offset + output1.count) {
      continue;
    }
    const auto was = std::bit_cast<std::uint64_t>(armed_[k]);
    const auto now = std::bit_cast<std::uint64_t>(words_[k]);
    if (was != now) {
      char text[160];
      std::snprintf(text, sizeof text,
                    "word %zu of the port buffers (output 1 spans %zu..%zu) changed from "
                    "0x%016llx to 0x%016llx",
                    k, output1.offset, output1.offset + output1.count - 1,
                    static_cast<unsigned long long>(was), static_cast<unsigned long long>(now));
      return text;
    }
  }
  return std::nullopt;
}

}  // namespace sfqp::test
