// The help text of `sfqp envelope`.
#pragma once

namespace sfqp::envelope {

extern const char* const kEnvelopeDescription;
extern const char* const kEnvelopeFooter;

}  // namespace sfqp::envelope
