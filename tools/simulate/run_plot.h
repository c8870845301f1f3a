// --plot: draws a run with scripts/plot_run.py under Debian's Python, which has
// matplotlib (python3-matplotlib; scripts/setup.sh installs it).
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "solver/records.h"

namespace sfqp::simulate {

// The text of scripts/plot_run.py, built into the tool.
extern const char* const kPlotScript;

inline constexpr const char* kPlotPython = "/usr/bin/python3";

struct PlotRequest {
  std::filesystem::path run;  // the run, written with diagnostics (CSV)
  std::filesystem::path png;  // where the script writes (a temporary file of the run's outputs)
  std::string title;
  std::array<std::string, kEqualityCount> labels;     // the four virtual controls
  std::vector<std::pair<double, std::string>> marks;  // (time in s, label) of events
};

// Whether the plot can be drawn here: the Python runs and imports matplotlib.
// Asked before a run starts, so that a missing library is found at once.
// Returns what is missing, or nothing.
std::optional<std::string> check_plot_ready();

// Runs the script; returns what went wrong, or nothing when the picture is
// written. While it runs, a stop signal stops the script too.
std::optional<std::string> draw_plot(const PlotRequest& request);

// An option of a plotting script and its value; an option may repeat.
using ScriptOption = std::pair<std::string, std::string>;

// Runs a plotting script (its text) under kPlotPython, without a shell, as
// `--name=value ... -- paths...`: a value or a path that begins with a minus
// (a negative number, a label) can never be taken for an option. Returns what
// went wrong, or nothing when it succeeded.
std::optional<std::string> run_plot_script(const char* script,
                                           const std::vector<ScriptOption>& options,
                                           const std::vector<std::string>& paths);

}  // namespace sfqp::simulate
