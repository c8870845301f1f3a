// `sfqp generate`: writes seeded problems (tools/problems) as JSON Lines that
// `sfqp solve` reads.
#pragma once

#include <CLI/CLI.hpp>

namespace sfqp::tool {

void register_generate_command(CLI::App& app);

}  // namespace sfqp::tool
