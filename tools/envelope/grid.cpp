#include "tools/envelope/grid.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "tools/simulate/scenarios.h"

namespace sfqp::envelope {

namespace {

std::optional<std::size_t> entry_named(std::string_view name) {
  for (std::size_t i = 0; i < kEqualityCount; ++i) {
    if (name == simulate::kDemandNames[i] || name == entry_name(i)) {
      return i;
    }
  }
  return std::nullopt;
}

std::optional<double> axis_end(const std::string& text) {
  if (text.empty()) {
    return std::nullopt;
  }
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !(std::fabs(value) <= kMaxAxisEnd)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::string entry_name(std::size_t entry) {
  std::string name = "t";
  name += std::to_string(entry);
  return name;
}

double Axis::value(std::size_t k) const {
  if (k == 0) {
    return from;
  }
  if (k + 1 == count) {
    return to;
  }
  // Weighted ends over one division: whole-number ends and steps come out as
  // the decimals a user typed (2.4, not 2.4000000000000004).
  const double steps = static_cast<double>(count - 1);
  const double taken = static_cast<double>(k);
  return (from * (steps - taken) + to * taken) / steps;
}

std::variant<Axis, std::string> parse_axis(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t colon; (colon = text.find(':', start)) != std::string::npos; start = colon + 1) {
    parts.push_back(text.substr(start, colon - start));
  }
  parts.push_back(text.substr(start));
  if (parts.size() != 4) {
    return std::string("must be AXIS:FROM:TO:COUNT, e.g. roll:-60:60:121");
  }
  Axis axis;
  const auto entry = entry_named(parts[0]);
  if (!entry) {
    return "unknown axis \"" + parts[0] + "\"; the axes: thrust, roll, pitch, yaw or t0..t3";
  }
  axis.entry = *entry;
  const auto from = axis_end(parts[1]);
  const auto to = axis_end(parts[2]);
  if (!from || !to) {
    return std::string("FROM and TO must be numbers from -1e300 to 1e300");
  }
  if (!(*from < *to || *from > *to)) {
    return std::string("FROM and TO must differ");
  }
  axis.from = *from;
  axis.to = *to;
  const std::string& count = parts[3];
  const auto [stop, error] = std::from_chars(count.data(), count.data() + count.size(), axis.count);
  if (count.empty() || error != std::errc() || stop != count.data() + count.size() ||
      axis.count < 2 || axis.count > kMaxAxisCount) {
    return "COUNT must be a whole number from 2 to " + std::to_string(kMaxAxisCount);
  }
  return axis;
}

Demand Grid::demand(std::size_t k) const {
  Demand demand = base;
  demand[x.entry] = x.value(k % x.count);
  if (y) {
    demand[y->entry] = y->value(k / x.count);
  }
  return demand;
}

Demand Grid::along(const Axis& axis, std::size_t k) const {
  Demand demand = base;
  demand[axis.entry] = axis.value(k);
  return demand;
}

std::vector<Demand> sweep_demands(const Grid& grid) {
  std::vector<Demand> demands;
  demands.reserve(grid.size() + (grid.y ? grid.x.count + grid.y->count : 0));
  for (std::size_t k = 0; k < grid.size(); ++k) {
    demands.push_back(grid.demand(k));
  }
  if (grid.y) {
    for (const Axis* axis : {&grid.x, &*grid.y}) {
      for (std::size_t k = 0; k < axis->count; ++k) {
        demands.push_back(grid.along(*axis, k));
      }
    }
  }
  return demands;
}

}  // namespace sfqp::envelope
