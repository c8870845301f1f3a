// The signals that stop a run of the tool: Ctrl-C (SIGINT), SIGTERM, and where
// there is one SIGHUP (the terminal or ssh session closed). Each one removes
// the run's temporary files and stops the plot helper and the workers.
#pragma once

#include <csignal>

namespace sfqp::io {

#if defined(SIGHUP)
inline constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
#else
inline constexpr int kStopSignals[] = {SIGINT, SIGTERM};
#endif

}  // namespace sfqp::io
