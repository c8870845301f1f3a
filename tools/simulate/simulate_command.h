// `sfqp simulate`: the main job. A simulation of a model holding the block,
// through the host engine, on a built-in scenario or recorded input signals;
// writes output 1 per step, a summary and a plot.
#pragma once

#include <CLI/CLI.hpp>

namespace sfqp::tool {

void register_simulate_command(CLI::App& app);

}  // namespace sfqp::tool
