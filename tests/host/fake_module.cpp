// A module that misbehaves in one way, chosen when it is built
// (SFQP_FAKE_<WAY>), for the engine to refuse with a clear error: what a
// faulty or hostile module can do to its host without touching the host's
// memory. The way NO_ENTRY exports no mexFunction at all.
#include <stdexcept>

#include "host/runtime/matrix.h"

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

}  // namespace

#if defined(SFQP_FAKE_NO_ENTRY)
SFQP_FAKE_EXPORT void mex_function(int, mxArray*[], int, const mxArray*[]) {}
#else
SFQP_FAKE_EXPORT void mexFunction(int, mxArray* plhs[], int, const mxArray*[]) {
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
#else
#error "no SFQP_FAKE_<WAY> chosen"
#endif
}
#endif
