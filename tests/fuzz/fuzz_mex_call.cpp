// MEX-mode calls with arbitrary argument lists: 0 to 8 arrays on each side, of
// every class and shape, with edge values. Each call must end either with the
// sizes vector or with one of the block's error texts, decided by the
// arguments exactly as the command line expects: too few right-hand arguments,
// too many left-hand ones, a flag that is not an integer, a flag other than 0,
// a host record of another name; nothing else.
//
// A second argument of 3 rows whose third element is the record version
// carries a record address, which no protocol can check; the target makes
// such an argument only around the record of a block the engine created, and
// gives that record a model name from the input.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/runtime/host_memory.h"
#include "interfaces/host_abi/simstruct.h"
#include "tests/fuzz/block_fixture.h"
#include "tests/fuzz/fuzz_arrays.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using sfqp::fuzz::fail;
using sfqp::fuzz::require;

constexpr char kTooFewRight[] =
    "MEX level2 S-function \"sfqpsolv\" must be called with at least 4 right hand arguments";
constexpr char kTooManyLeft[] =
    "MEX level2 S-function \"sfqpsolv\" called with too many left hand arguments";
constexpr char kFlagNotInteger[] =
    "The 4th right hand argument, FLAG, passed to MEX level2 S-function \"sfqpsolv\" must be an "
    "integer";
constexpr char kFlagInvalid[] = "Invalid flag passed to MEX level2 S-function \"sfqpsolv\"";
constexpr char kNameMismatchStart[] =
    "S-function name mismatch. Name in source is \"#define S_FUNCTION_NAME sfqpsolv\", whereas "
    "name of the S-function MEX file is \"";
constexpr std::size_t kMessageLimit = 255;

// The block whose record the host-record arguments carry; only ever called in
// MEX mode, never stepped.
sfqp::host::Block& host_block() {
  sfqp::fuzz::module();
  static sfqp::host::Model model;
  static sfqp::host::Block* block = &model.add_block(sfqp::host::default_module_path());
  return *block;
}

// Exact equality, as the sizes vector holds converted integers.
bool equal(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool carries_record_version(const mxArray* array) {
  return mxGetClassID(array) == mxDOUBLE_CLASS && mxGetM(array) == 3 &&
         mxGetNumberOfElements(array) >= 3 && mxGetPr(array) != nullptr &&
         equal(mxGetPr(array)[2], 8480229.0);
}

void point_at_record(mxArray* array, SimStruct* S) {
  const auto address = reinterpret_cast<std::uintptr_t>(S);
  mxGetPr(array)[0] =
      static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(address)));
  mxGetPr(array)[1] =
      static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(address >> 32)));
}

enum class FlagVerdict { not_integer, invalid, zero, unknown };

// What the block must make of prhs[3]. A flag that is numeric but not double
// has no defined reading, so either verdict is accepted for it.
FlagVerdict judge_flag(const mxArray* flag) {
  if (mxGetM(flag) * mxGetN(flag) != 1 || mxIsComplex(flag) || !mxIsNumeric(flag)) {
    return FlagVerdict::not_integer;
  }
  if (mxGetClassID(flag) != mxDOUBLE_CLASS) {
    return FlagVerdict::unknown;
  }
  const double value = mxGetPr(flag)[0];
  if (!(value > -2147483649.0 && value < 2147483648.0) ||
      std::islessgreater(std::trunc(value), value)) {
    return FlagVerdict::not_integer;
  }
  return std::fpclassify(value) == FP_ZERO ? FlagVerdict::zero : FlagVerdict::invalid;
}

void require_error(const std::optional<std::string>& error, const char* expected) {
  require(error.has_value(), expected);
  if (*error != expected) {
    std::fprintf(stderr, "expected \"%s\"\n     got \"%s\"\n", expected, error->c_str());
    fail("a MEX-mode call raises the text its arguments call for");
  }
}

void check_sizes(const mxArray* sizes, bool fresh, std::size_t parameters) {
  require(sizes != nullptr && mxGetClassID(sizes) == mxDOUBLE_CLASS && !mxIsComplex(sizes) &&
              mxGetM(sizes) == 40 && mxGetN(sizes) == 1,
          "a successful MEX-mode call returns a 40x1 real double sizes vector");
  const double* entries = mxGetPr(sizes);
  require(equal(entries[19], 8480229.0), "sizes entry 19 is the record version");
  const bool declared = !fresh || parameters == 0;
  require(equal(entries[23], declared ? 537403394.0 : 8192.0),
          "sizes entry 23 is the options word");
  require(equal(entries[2], declared ? 2.0 : 0.0) && equal(entries[3], declared ? 5.0 : 0.0) &&
              equal(entries[6], declared ? 1.0 : 0.0),
          "sizes entries 2, 3 and 6 count outputs, inputs and sample times");
  if (fresh) {
    for (int k = 0; k < 40; ++k) {
      if (k == 2 || k == 3 || k == 6 || k == 19 || k == 23) {
        continue;
      }
      const double expected = (k == 31 && declared) ? 2.0 : 0.0;
      require(equal(entries[k], expected), "a fresh record's other sizes entries are as declared");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  sfqp::host::Block& block = host_block();
  SimStruct* record = block.record();

  // Everything the module takes with mxCalloc during this call is freed with
  // this input, as a host frees a command-line call's memory.
  sfqp::host::HostMemory memory;
  const sfqp::host::HostMemoryScope scope(memory);

  const int nlhs = in.ConsumeIntegralInRange<int>(0, 8);
  const int nrhs = in.ConsumeIntegralInRange<int>(0, 8);
  const std::string model_name = in.ConsumeRandomLengthString(320);
  std::vector<sfqp::host::ArrayPtr> arguments;
  for (int i = 0; i < nrhs; ++i) {
    arguments.push_back(sfqp::fuzz::pick_array(in));
  }
  const bool host_record = nrhs >= 2 && carries_record_version(arguments[1].get());
  if (host_record) {
    point_at_record(arguments[1].get(), record);
    record->modelName = model_name.c_str();
  }
  std::vector<const mxArray*> prhs;
  for (const auto& argument : arguments) {
    prhs.push_back(argument.get());
  }

  const sfqp::host::MexCall call = sfqp::fuzz::module()->call(nlhs, prhs);
  record->modelName = "sfqpsolv";

  if (call.error) {
    require(!call.error->empty() && call.error->size() <= kMessageLimit,
            "an error text has 1 to 255 characters");
    for (const auto& output : call.outputs) {
      require(output == nullptr, "a call that raised an error returns nothing");
    }
  }
  if (nrhs < 4) {
    require_error(call.error, kTooFewRight);
    return 0;
  }
  if (nlhs > 1) {
    require_error(call.error, kTooManyLeft);
    return 0;
  }
  switch (judge_flag(prhs[3])) {
    case FlagVerdict::not_integer:
      require_error(call.error, kFlagNotInteger);
      return 0;
    case FlagVerdict::invalid:
      require_error(call.error, kFlagInvalid);
      return 0;
    case FlagVerdict::unknown:
      if (call.error && (*call.error == kFlagNotInteger || *call.error == kFlagInvalid)) {
        return 0;
      }
      break;
    case FlagVerdict::zero:
      break;
  }
  if (host_record && std::strcmp(model_name.c_str(), "sfqpsolv") != 0) {
    require(call.error.has_value() &&
                call.error->compare(0, std::strlen(kNameMismatchStart), kNameMismatchStart) == 0,
            "a host record of another name is refused with the name-mismatch text");
    return 0;
  }
  require(!call.error.has_value(), "a call with valid arguments raises no error");
  const std::size_t parameters = static_cast<std::size_t>(nrhs - 4);
  check_sizes(call.outputs.at(0).get(), !host_record, parameters);
  for (std::size_t k = 1; k < call.outputs.size(); ++k) {
    require(call.outputs[k] == nullptr, "only plhs[0] is set");
  }
  return 0;
}
