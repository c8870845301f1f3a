// mexErrMsgTxt: ends the current call of a module with the text as its error.
#include "host/runtime/mex_error.h"

#include "host/runtime/matrix.h"

namespace sfqp::host {

MexError::MexError(const std::string& message) : std::runtime_error(message) {}

// Out of line, so that the type's identity lives in this library and a module
// and the engine agree on it.
MexError::~MexError() = default;

}  // namespace sfqp::host

extern "C" SFQP_HOST_EXPORT void mexErrMsgTxt(const char* message) {
  throw sfqp::host::MexError(message != nullptr ? message : "");
}
