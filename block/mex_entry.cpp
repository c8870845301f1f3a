// mexFunction, the module's only export. A negative left-hand count is a
// method call on a record the host already has (its address in plhs[1], the
// method code in prhs[3]); otherwise it is a MEX-mode call, which checks its
// arguments, adopts the host's record or builds one, runs mdlInitializeSizes
// and returns the record's 40 size integers.
//
// Each argument is checked before it is read: its class, its shape, and that
// any double turned into an integer has one.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

#include "block/block_methods.h"
#include "block/host_console.h"
#include "block/int32_conversion.h"
#include "block/method_dispatch.h"
#include "block/mex_entry.h"

namespace sfqp::block {

namespace {

constexpr char kIdentity[] = "MEX level2 S-function \"sfqpsolv\"";
constexpr std::size_t kMessageBufferSize = 256;
constexpr double kHostRecordVersion = static_cast<double>(kSimStructVersion);
constexpr int kFirstDialogParameter = 4;
constexpr std::uint32_t kOptionMexModeSizes = 0x2000u;  // bit 13, the host's
constexpr int kHostServiceRequest = 280;
constexpr int kHostServiceArgument = 1;
constexpr int kFreshRecordSimMode = 1;

// Formats into the bounded buffer and raises it; mexErrMsgTxt ends the call
// and never returns, although not every host's header says so.
template <typename... Arguments>
[[noreturn]] void raise(const char* format, Arguments... arguments) {
  char message[kMessageBufferSize];
  // A message cut at the buffer's end is still raised, terminated.
  static_cast<void>(std::snprintf(message, sizeof message, format, arguments...));
  mexErrMsgTxt(message);
  // cppcheck-suppress unreachableCode ; for the hosts whose header lacks noreturn
  __builtin_unreachable();
}

// Whether the array stores every one of its elements as a double. A sparse
// array stores only its nonzeros, so reading it by position reads past them.
// Octave passes whatever is typed at its prompt; the stand-in host, like the
// simulation host it stands for, has no sparse arrays.
bool dense_doubles(const mxArray* array) {
#if defined(SFQP_OCTAVE_MEX)
  return mxIsDouble(array) && !mxIsSparse(array);
#else
  return mxIsDouble(array);
#endif
}

// The first real double of an array that holds at least one, if it is a
// dense double array at all.
const double* first_double(const mxArray* array) {
  if (array == nullptr || !dense_doubles(array) || mxGetM(array) < 1 || mxGetN(array) < 1) {
    return nullptr;
  }
  return mxGetPr(array);
}

std::optional<std::int32_t> method_code(int nrhs, const mxArray* prhs[]) {
  if (nrhs < 4 || prhs == nullptr) {
    return std::nullopt;
  }
  const double* code = first_double(prhs[3]);
  if (code == nullptr) {
    return std::nullopt;
  }
  return int32_toward_zero(*code);
}

// Octave loads the module as a command-line function only: it has no
// simulation host, so no caller there holds a block record, and an address
// typed at its prompt must never be followed.
#if defined(SFQP_OCTAVE_MEX)
constexpr bool kHostHandsRecords = false;
#else
constexpr bool kHostHandsRecords = true;
#endif

// The address of the host's own record, when prhs[1] is the 3x1 handle the
// host passes: the address in two signed 32-bit halves (low, high), then the
// record version. A null address names no record.
std::optional<std::uintptr_t> host_record_address(const mxArray* handle) {
  if (handle == nullptr || mxGetM(handle) != 3 || mxGetN(handle) < 1 || !dense_doubles(handle)) {
    return std::nullopt;
  }
  const double* values = mxGetPr(handle);
  // Unordered (NaN) is not equal either.
  if (values == nullptr || !(values[2] >= kHostRecordVersion && values[2] <= kHostRecordVersion)) {
    return std::nullopt;
  }
  const std::optional<std::int32_t> low = int32_toward_zero(values[0]);
  const std::optional<std::int32_t> high = int32_toward_zero(values[1]);
  if (!low || !high) {
    return std::nullopt;
  }
  const std::uint64_t address = (std::uint64_t{static_cast<std::uint32_t>(*high)} << 32) |
                                std::uint64_t{static_cast<std::uint32_t>(*low)};
  if (address == 0) {
    return std::nullopt;  // no record: the call builds its own
  }
  return static_cast<std::uintptr_t>(address);
}

void install_methods(SimStruct* S) {
  S->methods.mdlInitializeSizes = mdlInitializeSizes;
  S->methods.mdlSetInputPortDataType = mdlSetInputPortDataType;
  S->methods.mdlSetOutputPortDataType = mdlSetOutputPortDataType;
  S->methods.mdlInitializeSampleTimes = mdlInitializeSampleTimes;
  S->methods.mdlOutputs = mdlOutputs;
  S->methods.mdlTerminate = mdlTerminate;
  S->methods.mdlGetTimeOfNextVarHit = variable_hit_guard;
  S->methods.mdlZeroCrossings = zero_crossings_guard;
  S->methods2.mdlSetDefaultPortDataTypes = mdlSetDefaultPortDataTypes;
  S->methods2.mdlSetInputPortFrameData = mdlSetInputPortFrameData;
}

// T may itself be a pointer (the record's arrays of port pointers): count of
// them, each sizeof(T).
template <typename T>
T* allocate_zeroed(std::size_t count) {
  return static_cast<T*>(mxCalloc(count, sizeof(T)));  // NOLINT(bugprone-sizeof-expression)
}

}  // namespace

SimStruct* create_mex_record(int nrhs, const mxArray* prhs[]) {
  const int parameters = nrhs > kFirstDialogParameter ? nrhs - kFirstDialogParameter : 0;
  auto* S = allocate_zeroed<SimStruct>(1);
  auto* info = allocate_zeroed<ssMdlInfo>(1);
  const mxArray** handles = nullptr;
  if (parameters > 0) {
    handles = allocate_zeroed<const mxArray*>(static_cast<std::size_t>(parameters));
  }
  if (S == nullptr || info == nullptr || (parameters > 0 && handles == nullptr)) {
    raise("Out of memory building the block record of %s", kIdentity);
  }
  S->root = S;
  S->mdlInfo = info;
  info->simMode = kFreshRecordSimMode;
  S->sfcnParamsCount = parameters;
  S->modelName = kBlockName;
  S->path = kBlockName;
  for (int i = 0; i < parameters; ++i) {
    handles[i] = prhs[kFirstDialogParameter + i];
  }
  S->sfcnParams = handles;
  S->regNumInputPorts = {register_input_port_count, S};
  S->regNumOutputPorts = {register_output_port_count, S};
  return S;
}

void handle_mex_mode_call(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs < 4 || prhs == nullptr) {
    raise("%s must be called with at least 4 right hand arguments", kIdentity);
  }
  if (nlhs > 1) {
    raise("%s called with too many left hand arguments", kIdentity);
  }
  // The flag: one real double holding a 32-bit integer, and that integer 0.
  const mxArray* flag = prhs[3];
  const double* flag_value = nullptr;
  if (flag != nullptr && mxGetM(flag) == 1 && mxGetN(flag) == 1 && !mxIsComplex(flag) &&
      mxIsNumeric(flag) && dense_doubles(flag)) {
    flag_value = mxGetPr(flag);
  }
  const std::optional<std::int32_t> flag_integer =
      flag_value != nullptr ? int32_toward_zero(*flag_value) : std::nullopt;
  if (!flag_integer || std::islessgreater(static_cast<double>(*flag_integer), *flag_value)) {
    raise("The 4th right hand argument, FLAG, passed to %s must be an integer", kIdentity);
  }
  if (*flag_integer != 0) {
    raise("Invalid flag passed to %s", kIdentity);
  }

  SimStruct* S = nullptr;
  if (const std::optional<std::uintptr_t> address = host_record_address(prhs[1])) {
    if (!kHostHandsRecords) {
      raise(
          "%s was given a block record handle, but Octave has no simulation host to own one: "
          "pass [] as the second argument",
          kIdentity);
      return;
    }
    // The host hands its record as an address in a double array.
    S = reinterpret_cast<SimStruct*>(*address);  // NOLINT(performance-no-int-to-ptr)
    // Compared up to the model name's terminator, never past it.
    const char* name = ssGetModelName(S) != nullptr ? ssGetModelName(S) : "";
    if (std::strncmp(name, kBlockName, sizeof kBlockName) != 0) {
      raise(
          "S-function name mismatch. Name in source is \"#define S_FUNCTION_NAME %s\", whereas "
          "name of the S-function MEX file is \"%s\". The source needs to be updated",
          kBlockName, name);
    }
    install_methods(S);
  } else {
    S = create_mex_record(nrhs, prhs);
  }

  S->sizes[ss_size::kVersion] = kSimStructVersion;
  const ssMdlInfo* info = ssGetMdlInfoPtr(S);
  if (S->hostReference != nullptr && info != nullptr && info->hostService != nullptr) {
    info->hostService(S, kHostServiceRequest, kHostServiceArgument, nullptr);
  }
  mdlInitializeSizes(S);

  mxArray* sizes = mxCreateDoubleMatrix(ss_size::kCount, 1, mxREAL);
  if (sizes == nullptr) {
    raise("Out of memory returning the sizes of %s", kIdentity);
  }
  double* entries = mxGetPr(sizes);
  for (int k = 0; k < ss_size::kCount; ++k) {
    entries[k] = S->sizes[k];
  }
  ssSetOptions(S, ssGetOptions(S) | kOptionMexModeSizes);
  for (int k = ss_size::kFirstCheckWord; k <= ss_size::kLastCheckWord; ++k) {
    entries[k] = static_cast<std::uint32_t>(S->sizes[k]);
  }
  entries[ss_size::kOptions] = ssGetOptions(S);
  plhs[0] = sizes;
}

}  // namespace sfqp::block

extern "C" void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  sfqp::set_console_sink(sfqp::block::kHostConsole);
  if (nlhs < 0) {
    // A method call: without a record there is nowhere to report anything.
    if (plhs == nullptr || plhs[1] == nullptr) {
      return;
    }
    auto* S = reinterpret_cast<SimStruct*>(plhs[1]);
    sfqp::block::dispatch_method(S, sfqp::block::method_code(nrhs, prhs));
    return;
  }
  sfqp::block::handle_mex_mode_call(nlhs, plhs, nrhs, prhs);
}
