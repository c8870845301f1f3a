// The help texts of `sfqp simulate`.
#pragma once

namespace sfqp::simulate {

extern const char* const kSimulateDescription;
extern const char* const kSimulateFooter;

}  // namespace sfqp::simulate
