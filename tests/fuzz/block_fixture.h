// The module as the fuzz targets drive it: loaded once for the whole run (so
// that libFuzzer sees its coverage from the start) and reached through the
// engine, as the host reaches it.
#pragma once

#include <memory>

#include "host/engine/engine.h"

namespace sfqp::fuzz {

// The module this build produces, loaded on first use and kept for the run.
const std::shared_ptr<sfqp::host::Module>& module();

}  // namespace sfqp::fuzz
