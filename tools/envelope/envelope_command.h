// `sfqp envelope`: where the block falls back to zeros over a grid of demands.
#pragma once

#include <CLI/CLI.hpp>

namespace sfqp::tool {

void register_envelope_command(CLI::App& app);

}  // namespace sfqp::tool
