// What an envelope shows, in a few numbers: how many points fell back to zeros
// and how many were beyond reach, and along each swept axis, walking from the
// base demand up and down, the first value at which the block falls back and
// the first at which the demand is beyond reach.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "tools/envelope/grid.h"
#include "tools/envelope/point_solver.h"
#include "tools/envelope/vehicle.h"

namespace sfqp::envelope {

// From the base value in one direction along an axis.
struct Walk {
  std::optional<double> first_fallback;
  std::optional<double> first_beyond_reach;
};

struct AxisEdges {
  Axis axis;
  double base = 0.0;         // the base demand's entry on this axis
  std::optional<Walk> up;    // over the swept values >= base; none when there are none
  std::optional<Walk> down;  // over the swept values <= base, downward
};

struct EnvelopeSummary {
  std::string vehicle;
  Demand base{};
  Demand tolerance{};  // the reach tolerance per entry
  std::size_t points = 0;
  std::size_t fallbacks = 0;
  std::size_t fallbacks_within_reach = 0;
  std::size_t beyond_reach = 0;
  std::size_t beyond_reach_solved = 0;  // saturated: the block wrote u, the error took the rest
  std::vector<AxisEdges> axes;
};

// results: those of sweep_demands(grid), in its order.
EnvelopeSummary summarise(const Vehicle& vehicle, const Grid& grid, const Demand& tolerance,
                          std::span<const PointResult> results);

// The lines written to standard error; values in the vehicle's units.
std::string summary_text(const EnvelopeSummary& summary, const Vehicle& vehicle);
nlohmann::ordered_json summary_json(const EnvelopeSummary& summary, const Vehicle& vehicle);

}  // namespace sfqp::envelope
