// How mexErrMsgTxt ends a call: it throws MexError, which unwinds through the
// module back to whoever called mexFunction (the engine's call boundary),
// carrying the text. Nothing else throws it.
#pragma once

#include <stdexcept>
#include <string>

#include "host/runtime/export.h"

namespace sfqp::host {

class SFQP_HOST_EXPORT MexError : public std::runtime_error {
 public:
  explicit MexError(const std::string& message);
  ~MexError() override;
};

}  // namespace sfqp::host
