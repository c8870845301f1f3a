#include "tools/envelope/envelope_summary.h"

#include <algorithm>
#include <cstdio>

#include "tools/io/problem_json.h"
#include "tools/simulate/scenarios.h"

namespace sfqp::envelope {

namespace {

using nlohmann::ordered_json;

// The swept values on one side of base, walking away from it; for each, the
// first that falls back and the first beyond reach.
std::optional<Walk> walk(const Axis& axis, double base, std::span<const PointResult> line,
                         bool upward) {
  std::vector<std::size_t> order;
  for (std::size_t k = 0; k < axis.count; ++k) {
    const double value = axis.value(k);
    if (upward ? value >= base : value <= base) {
      order.push_back(k);
    }
  }
  if (order.empty()) {
    return std::nullopt;
  }
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return upward ? axis.value(a) < axis.value(b) : axis.value(a) > axis.value(b);
  });
  Walk found;
  for (std::size_t k : order) {
    if (line[k].fell_back && !found.first_fallback) {
      found.first_fallback = axis.value(k);
    }
    if (line[k].beyond_reach && !found.first_beyond_reach) {
      found.first_beyond_reach = axis.value(k);
    }
  }
  return found;
}

std::string with_unit(double value, const std::string& unit) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return unit.empty() ? std::string(text) : std::string(text) + " " + unit;
}

std::string share(std::size_t part, std::size_t whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%",
                whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole));
  return text;
}

std::string axis_name(std::size_t entry, const Vehicle& vehicle) {
  return vehicle.units[entry].empty() ? entry_name(entry)
                                      : std::string(simulate::kDemandNames[entry]);
}

// Numbers as every JSON of the tool writes them ("inf", "-inf", "nan" for the
// values JSON has not); null only where there is no value (no fallback found).
ordered_json number(double value) {
  return io::json_number(value, false);
}

ordered_json numbers(const Demand& values) {
  ordered_json out = ordered_json::array();
  for (const double v : values) {
    out.push_back(number(v));
  }
  return out;
}

ordered_json optional_value(const std::optional<double>& value) {
  return value ? number(*value) : ordered_json(nullptr);
}

ordered_json walk_json(const std::optional<Walk>& w) {
  if (!w) {
    return nullptr;
  }
  return {{"first_fallback", optional_value(w->first_fallback)},
          {"first_beyond_reach", optional_value(w->first_beyond_reach)}};
}

}  // namespace

EnvelopeSummary summarise(const Vehicle& vehicle, const Grid& grid, const Demand& tolerance,
                          std::span<const PointResult> results) {
  EnvelopeSummary summary;
  summary.vehicle = vehicle.description;
  summary.base = grid.base;
  summary.tolerance = tolerance;
  summary.points = grid.size();
  for (const PointResult& point : results.first(grid.size())) {
    summary.fallbacks += point.fell_back;
    summary.beyond_reach += point.beyond_reach;
    summary.fallbacks_within_reach += point.fell_back && !point.beyond_reach ? 1 : 0;
    summary.beyond_reach_solved += point.beyond_reach && !point.fell_back ? 1 : 0;
  }
  // One axis: the grid is the line through the base. Two: the lines follow it.
  std::size_t line_start = grid.y ? grid.size() : 0;
  for (const Axis* axis : {&grid.x, grid.y ? &*grid.y : nullptr}) {
    if (axis == nullptr) {
      continue;
    }
    const auto line = results.subspan(line_start, axis->count);
    const double base = grid.base[axis->entry];
    summary.axes.push_back(
        {*axis, base, walk(*axis, base, line, true), walk(*axis, base, line, false)});
    line_start += grid.y ? axis->count : 0;
  }
  return summary;
}

std::string summary_text(const EnvelopeSummary& summary, const Vehicle& vehicle) {
  std::string text = "sfqp envelope: " + summary.vehicle + "\n  base demand:";
  for (std::size_t i = 0; i < kEqualityCount; ++i) {
    text += (i ? ", " : " ") + axis_name(i, vehicle) + " " +
            with_unit(summary.base[i], vehicle.units[i]);
  }
  text += "\n  points: " + std::to_string(summary.points) +
          "\n  fell back to zeros: " + std::to_string(summary.fallbacks) + " (" +
          share(summary.fallbacks, summary.points) + "), " +
          std::to_string(summary.fallbacks_within_reach) + " of them within reach" +
          "\n  beyond reach: " + std::to_string(summary.beyond_reach) + " (" +
          share(summary.beyond_reach, summary.points) + "), " +
          std::to_string(summary.beyond_reach_solved) +
          " of them solved (commands saturated, the error terms take the rest)\n";
  for (const AxisEdges& edges : summary.axes) {
    const std::size_t entry = edges.axis.entry;
    const std::string& unit = vehicle.units[entry];
    for (const auto& [walked, direction, end] :
         {std::tuple{edges.up, "up", std::max(edges.axis.from, edges.axis.to)},
          std::tuple{edges.down, "down", std::min(edges.axis.from, edges.axis.to)}}) {
      if (!walked) {
        continue;
      }
      const std::string none = "none to " + with_unit(end, unit);
      text += "  " + axis_name(entry, vehicle) + " " + direction + " from " +
              with_unit(edges.base, unit) + ": first fallback " +
              (walked->first_fallback ? with_unit(*walked->first_fallback, unit) : none) +
              ", first beyond reach " +
              (walked->first_beyond_reach ? with_unit(*walked->first_beyond_reach, unit) : none) +
              "\n";
    }
  }
  text += "  beyond reach: C u misses the demand by more than";
  for (std::size_t i = 0; i < kEqualityCount; ++i) {
    text += (i ? ", " : " ") + axis_name(i, vehicle) + " " +
            with_unit(summary.tolerance[i], vehicle.units[i]);
  }
  return text + "\n";
}

ordered_json summary_json(const EnvelopeSummary& summary, const Vehicle& vehicle) {
  ordered_json out;
  out["vehicle"] = summary.vehicle;
  out["base"] = numbers(summary.base);
  out["reach_tolerance"] = numbers(summary.tolerance);
  out["points"] = summary.points;
  out["fallbacks"] = summary.fallbacks;
  out["fallback_share"] = summary.points == 0 ? 0.0
                                              : static_cast<double>(summary.fallbacks) /
                                                    static_cast<double>(summary.points);
  out["fallbacks_within_reach"] = summary.fallbacks_within_reach;
  out["beyond_reach"] = summary.beyond_reach;
  out["beyond_reach_solved"] = summary.beyond_reach_solved;
  out["axes"] = ordered_json::array();
  for (const AxisEdges& edges : summary.axes) {
    out["axes"].push_back({{"axis", axis_name(edges.axis.entry, vehicle)},
                           {"entry", edges.axis.entry},
                           {"from", number(edges.axis.from)},
                           {"to", number(edges.axis.to)},
                           {"count", edges.axis.count},
                           {"base", number(edges.base)},
                           {"up", walk_json(edges.up)},
                           {"down", walk_json(edges.down)}});
  }
  return out;
}

}  // namespace sfqp::envelope
