// The grid of demands an envelope sweeps: one or two of the four demands
// (thrust, roll, pitch, yaw, or t0..t3) over evenly spaced values, the other
// entries held at the base demand.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "solver/records.h"

namespace sfqp::envelope {

using Demand = std::array<double, kEqualityCount>;

// Keeps a run's time, memory and output in reason: at most a million points,
// seconds per core and about 40 MB of results.
inline constexpr std::size_t kMaxAxisCount = 1000;
// The largest FROM and TO in magnitude: the values are weighted sums of them.
inline constexpr double kMaxAxisEnd = 1e300;

// "t0".."t3": the entry's name when the vehicle's demands have no names.
std::string entry_name(std::size_t entry);

struct Axis {
  std::size_t entry = 0;  // 0..3: the demand entry it sweeps
  double from = 0.0;
  double to = 0.0;
  std::size_t count = 0;  // 2 .. kMaxAxisCount

  // Value k of count, from `from` to `to` inclusive; both ends exact.
  double value(std::size_t k) const;
};

// Reads "AXIS:FROM:TO:COUNT": AXIS t0..t3 or thrust, roll, pitch, yaw
// (simulate::kDemandNames), FROM and
// TO numbers within kMaxAxisEnd, COUNT a whole number from 2 to kMaxAxisCount. Returns the
// axis, or what is wrong with the text.
std::variant<Axis, std::string> parse_axis(const std::string& text);

struct Grid {
  Demand base{};
  Axis x;
  std::optional<Axis> y;

  std::size_t size() const { return x.count * (y ? y->count : 1); }
  // Point k, with x varying fastest: k = ix + x.count * iy.
  Demand demand(std::size_t k) const;
  // Value k of axis, the other entries at the base demand.
  Demand along(const Axis& axis, std::size_t k) const;
};

// What to solve: every grid point in order, then, for a grid of two axes, the
// lines through the base demand along x and along y (for one axis the grid is
// that line).
std::vector<Demand> sweep_demands(const Grid& grid);

}  // namespace sfqp::envelope
