// The vehicle of an envelope and the base demand its axes sweep from: a
// built-in scenario's at a moment of it, or a problem line's coupling and
// target.
#pragma once

#include <array>
#include <istream>
#include <string>
#include <variant>

#include "tools/envelope/point_solver.h"

namespace sfqp::envelope {

struct Vehicle {
  std::string description;  // "scenario manoeuvre at 0 s, 16 rotors working"
  Coupling coupling{};
  Demand base{};
  std::array<std::string, kEqualityCount> units;  // per demand entry; empty when unknown
};

// "SCENARIO" or "SCENARIO@SECONDS": the coupling and the demand of a built-in
// scenario at that time (default 0 s). Returns the vehicle or what is wrong.
std::variant<Vehicle, std::string> scenario_vehicle(const std::string& name);

// The one problem line of in (blank lines aside), in the format of sfqp solve,
// without settings or weights: the block solves with its own. Errors read
// "<source>:<line>: <what is wrong>".
std::variant<Vehicle, std::string> problem_vehicle(std::istream& in, const std::string& source);

// "thrust [N]" for a scenario's vehicle, "t0" when the units are unknown.
std::string demand_label(const Vehicle& vehicle, std::size_t entry);

}  // namespace sfqp::envelope
