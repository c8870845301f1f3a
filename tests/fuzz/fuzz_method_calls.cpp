// Method calls on a real record, in any order: any method code (as a double,
// fractions and NaN included), any port index, any proposed value, interleaved
// with new input values, with the MEX-mode call that installs the methods and
// runs mdlInitializeSizes again, and with the record rolled back to how the
// host hands it over before that call.
//
// Every call must return normally (a method call never raises), leave either
// no error status or a text, the very text the code calls for where the code
// alone decides it, and write no port buffer except output 1, which only an
// output step writes: 16 zeros or 16 finite commands within the box.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "interfaces/host_abi/simstruct.h"
#include "tests/fuzz/block_fixture.h"
#include "tests/fuzz/fuzz_arrays.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/hostile/block_checks.h"
#include "tests/hostile/guarded_ports.h"

namespace {

using sfqp::fuzz::fail;
using sfqp::fuzz::require;

constexpr char kInvalidFlag[] = "Invalid flag encountered in simulink";
constexpr int kMaxOperations = 64;

enum class Operation { method, method_again, set_inputs, initialize, attach, roll_back, flags };

// A code near the block's range most of the time, with fractions and
// negatives; otherwise any double.
double pick_code(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
    case 1:
      return in.ConsumeIntegralInRange<int>(99, 147);
    case 2:
      return in.ConsumeIntegralInRange<int>(99, 147) +
             (in.ConsumeBool() ? 0.9 : -0.5) * (in.ConsumeBool() ? 1.0 : -1.0);
    default:
      return sfqp::fuzz::pick_double(in);
  }
}

std::int32_t pick_int(FuzzedDataProvider& in) {
  return in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int32_t>(-3, 8)
                          : in.ConsumeIntegral<std::int32_t>();
}

// The text a code calls for whatever the record holds, when it has one; the
// empty string for "no status at all".
std::optional<std::string> status_decided_by(double code) {
  if (!(code > -2147483649.0 && code < 2147483648.0)) {
    return kInvalidFlag;
  }
  const auto c = static_cast<std::int32_t>(code);
  switch (c) {
    case 102:
    case 105:
    case 106:
    case 109:
    case 110:
    case 117:
    case 118:
    case 119:
    case 124:
    case 125:
    case 129:
    case 130:
    case 134:
    case 135:
    case 136:
    case 137:
    case 138:
    case 139:
    case 140:
    case 141:
    case 143:
      return kInvalidFlag;
    case 107:
      return "";
    case 144:
      return "Unexpected call to mdlGetSimState (MDL_SIM_STATE not defined)";
    case 145:
      return "Unexpected call to mdlSetSimState (MDL_SIM_STATE not defined)";
    default:
      break;
  }
  if (c < 101 || c > 145) {
    return kInvalidFlag;
  }
  return std::nullopt;
}

bool is_output_code(double code) {
  return code >= 104.0 && code < 105.0;
}

bool all_nan(std::span<const double> values) {
  for (const double value : values) {
    if (!std::isnan(value)) {
      return false;
    }
  }
  return true;
}

void roll_back(SimStruct* S) {
  S->methods = {};
  S->methods2 = {};
  std::memset(S->sizes, 0, sizeof S->sizes);
  S->inputPorts = nullptr;
  S->outputPorts = nullptr;
  S->errorStatus = nullptr;
}

void reinitialize(SimStruct* S) {
  const auto address = reinterpret_cast<std::uintptr_t>(S);
  const double words[3] = {
      static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(address))),
      static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(address >> 32))),
      static_cast<double>(kSimStructVersion)};
  const sfqp::host::ArrayPtr empty = sfqp::host::make_empty();
  const sfqp::host::ArrayPtr handle = sfqp::host::make_double(3, 1, words);
  const sfqp::host::ArrayPtr flag = sfqp::host::make_scalar(0.0);
  const sfqp::host::MexCall call =
      sfqp::fuzz::module()->call(1, {empty.get(), handle.get(), empty.get(), flag.get()});
  require(!call.error, "the MEX-mode call with the block's own record succeeds");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  sfqp::fuzz::module();
  sfqp::host::Model model;
  sfqp::host::Block& block = model.add_block(sfqp::host::default_module_path());
  SimStruct* S = block.record();
  sfqp::test::GuardedPorts ports;
  bool attached = ports.attach(S);
  require(attached, "the engine's record declares the block's ports");

  for (int n = 0; n < kMaxOperations && in.remaining_bytes() > 0; ++n) {
    switch (static_cast<Operation>(in.ConsumeIntegralInRange<int>(0, 6))) {
      case Operation::method:
      case Operation::method_again: {
        const double code = pick_code(in);
        const std::int32_t port = pick_int(in);
        const std::int32_t proposed = pick_int(in);
        ports.arm();
        const std::optional<std::string> status = block.call_method(code, port, proposed);
        require(!status.has_value() || S->root->errorStatus != nullptr,
                "a method call never raises an error");
        if (status) {
          require(!status->empty() && status->size() < 256, "an error status is a short text");
        }
        if (const auto decided = status_decided_by(code)) {
          require(decided->empty() ? !status.has_value() : status == *decided,
                  "the code alone decides this status");
        }
        if (attached) {
          if (const auto fault = ports.fault()) {
            fail(fault->c_str());
          }
          if (is_output_code(code) && !status) {
            if (const auto fault = sfqp::test::output1_fault(ports.output(0))) {
              fail(fault->c_str());
            }
          } else {
            require(all_nan(ports.output(0)), "only an output step writes output 1");
          }
        }
        break;
      }
      case Operation::set_inputs:
        for (int port = 0; port < 5; ++port) {
          for (double& value : ports.input(port)) {
            value = sfqp::fuzz::pick_double(in);
          }
        }
        break;
      case Operation::initialize:
        reinitialize(S);
        attached = false;  // the host built new port records
        break;
      case Operation::attach:
        attached = ports.attach(S);
        break;
      case Operation::roll_back:
        roll_back(S);
        attached = false;
        break;
      case Operation::flags:
        S->sizes[ss_size::kFlags] ^= kFlagDimensionRecords;
        break;
    }
  }
  return 0;
}
