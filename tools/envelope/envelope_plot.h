// --plot: draws an envelope with scripts/plot_envelope.py under Debian's
// Python with matplotlib, as sfqp simulate draws a run.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "tools/envelope/grid.h"

namespace sfqp::envelope {

// The text of scripts/plot_envelope.py, built into the tool.
extern const char* const kEnvelopePlotScript;

struct EnvelopePlotRequest {
  std::filesystem::path rows;  // the envelope's rows, CSV
  std::filesystem::path png;
  std::string title;
  std::array<std::string, kEqualityCount> labels;  // axis labels with units
  const Grid* grid = nullptr;                      // its axes and base demand
};

// Returns what went wrong, or nothing when the picture is written.
std::optional<std::string> draw_envelope_plot(const EnvelopePlotRequest& request);

}  // namespace sfqp::envelope
