// A module that misbehaves in one way, chosen when it is built
// (SFQP_FAKE_<WAY>), for the engine to refuse with a clear error: what a
// faulty or hostile module can do to its host without touching the host's
// memory. The way NO_ENTRY exports no mexFunction at all; MANY_SAMPLE_TIMES
// answers as a block would but declares a billion sample times.
#include <cstdint>
#include <stdexcept>

#include "host/runtime/matrix.h"
#include "interfaces/host_abi/simstruct.h"

#if defined(_WIN32)
#define SFQP_FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#define SFQP_FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

[[maybe_unused]] mxArray* doubles(std::size_t rows, std::size_t columns,
                                  mxComplexity complexity = mxREAL) {
  return mxCreateNumericMatrix(rows, columns, mxDOUBLE_CLASS, complexity);
}

// The host's record from the handle in prhs[1]: the address in two signed
// 32-bit halves (low, high).
[[maybe_unused]] SimStruct* record_of(const mxArray* handle) {
  const double* halves = mxGetPr(handle);
  const auto low = static_cast<std::uint32_t>(static_cast<std::int32_t>(halves[0]));
  const auto high = static_cast<std::uint32_t>(static_cast<std::int32_t>(halves[1]));
  return reinterpret_cast<SimStruct*>(
      static_cast<std::uintptr_t>((std::uint64_t{high} << 32) | std::uint64_t{low}));
}

[[maybe_unused]] void no_output(SimStruct*, int) {}

}  // namespace

#if defined(SFQP_FAKE_NO_ENTRY)
SFQP_FAKE_EXPORT void mex_function(int, mxArray*[], int, const mxArray*[]) {}
#else
SFQP_FAKE_EXPORT void mexFunction(int, mxArray* plhs[], int,
                                  [[maybe_unused]] const mxArray* prhs[]) {
#if defined(SFQP_FAKE_NO_SIZES)
  (void)plhs;
#elif defined(SFQP_FAKE_ROW_SIZES)
  plhs[0] = doubles(1, 40);
#elif defined(SFQP_FAKE_LONG_SIZES)
  plhs[0] = doubles(41, 1);
#elif defined(SFQP_FAKE_SHORT_SIZES)
  plhs[0] = doubles(39, 1);
#elif defined(SFQP_FAKE_COMPLEX_SIZES)
  plhs[0] = doubles(40, 1, mxCOMPLEX);
#elif defined(SFQP_FAKE_INT32_SIZES)
  plhs[0] = mxCreateNumericMatrix(40, 1, mxINT32_CLASS, mxREAL);
#elif defined(SFQP_FAKE_TEXT_SIZES)
  plhs[0] = mxCreateString("forty sizes");
#elif defined(SFQP_FAKE_RAISES)
  plhs[0] = doubles(40, 1);  // left behind by the error
  mexErrMsgTxt("fake module: refused");
#elif defined(SFQP_FAKE_THROWS)
  (void)plhs;
  throw std::runtime_error("fake module: thrown");
#elif defined(SFQP_FAKE_MANY_SAMPLE_TIMES)
  SimStruct* S = record_of(prhs[1]);
  S->sizes[ss_size::kVersion] = kSimStructVersion;
  S->sizes[ss_size::kNumSampleTimes] = 1 << 30;
  S->methods.mdlOutputs = no_output;
  plhs[0] = doubles(40, 1);
  for (int k = 0; k < ss_size::kCount; ++k) {
    mxGetPr(plhs[0])[k] = S->sizes[k];
  }
#else
#error "no SFQP_FAKE_<WAY> chosen"
#endif
}
#endif
