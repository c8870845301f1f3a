#include "tools/envelope/vehicle.h"
#include "tools/io/excerpt.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <variant>

#include "tools/io/bounded_line.h"
#include "tools/io/problem_json.h"
#include "tools/simulate/scenarios.h"

namespace sfqp::envelope {

namespace {

std::size_t working_rotors(const Coupling& coupling) {
  std::size_t working = 0;
  for (std::size_t j = 0; j < kEffortCount; ++j) {
    bool moves_anything = false;
    for (std::size_t i = 0; i < kEqualityCount; ++i) {
      moves_anything = moves_anything || std::fabs(coupling[i + kEqualityCount * j]) > 0.0;
    }
    working += moves_anything ? 1 : 0;
  }
  return working;
}

std::string scenario_names() {
  std::string names;
  for (const simulate::Scenario& s : simulate::scenarios()) {
    names += (names.empty() ? "" : ", ") + std::string(s.name);
  }
  return names;
}

bool is_blank(const std::string& line) {
  return line.find_first_not_of(" \t\r") == std::string::npos;
}

}  // namespace

std::variant<Vehicle, std::string> scenario_vehicle(const std::string& name) {
  const std::size_t at = name.find('@');
  const std::string scenario_name = name.substr(0, at);
  const simulate::Scenario* scenario = simulate::find_scenario(scenario_name);
  if (scenario == nullptr) {
    return "unknown vehicle " + io::excerpt(scenario_name) +
           "; the scenarios' vehicles: " + scenario_names();
  }
  const double duration = static_cast<double>(scenario->steps) * scenario->period;
  double time = 0.0;
  if (at != std::string::npos) {
    const std::string seconds = name.substr(at + 1);
    char* end = nullptr;
    time = std::strtod(seconds.c_str(), &end);
    if (seconds.empty() || end != seconds.c_str() + seconds.size() || !(time >= 0.0) ||
        !(time < duration)) {
      char bound[32];
      std::snprintf(bound, sizeof bound, "%g", duration);
      return "the time after @ must be a number of seconds from 0 to below " + std::string(bound) +
             " (the scenario's length), not \"" + seconds + "\"";
    }
  }
  const simulate::StepInput step = scenario->step_at(time);
  Vehicle vehicle;
  vehicle.coupling = step.coupling;
  vehicle.base = step.target;
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%g", time);
  vehicle.description = "scenario " + std::string(scenario->name) + " at " + seconds + " s, " +
                        std::to_string(working_rotors(step.coupling)) + " of 16 rotors working";
  for (std::size_t i = 0; i < kEqualityCount; ++i) {
    vehicle.units[i] = simulate::kDemandUnits[i];
  }
  return vehicle;
}

std::variant<Vehicle, std::string> problem_vehicle(std::istream& in, const std::string& source) {
  std::optional<Vehicle> vehicle;
  long long number = 0;
  std::string line;
  for (io::LineRead read; (read = io::read_bounded_line(in, line)) != io::LineRead::end;) {
    ++number;
    const std::string where = source + ":" + std::to_string(number) + ": ";
    if (read == io::LineRead::too_long || read == io::LineRead::endless) {
      return where + "longer than " + std::to_string(io::kLineByteLimit) +
             " bytes (a problem takes a few kB)";
    }
    if (is_blank(line)) {
      continue;
    }
    if (vehicle) {
      return where + "a second problem; the envelope takes one";
    }
    auto parsed = io::parse_problem_line(line);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
      return where + *error;
    }
    const auto& named = std::get<io::NamedProblem>(parsed);
    const api::Problem block_weights;
    if (named.problem.settings || named.problem.error_weight != block_weights.error_weight ||
        named.problem.effort_weight != block_weights.effort_weight) {
      return where +
             "\"settings\", and weights other than the block's, do not apply: the envelope solves "
             "as the block does";
    }
    vehicle.emplace();
    vehicle->coupling = named.problem.coupling;
    vehicle->base = named.problem.target;
    vehicle->description = "the problem of " + source;
  }
  if (in.bad()) {
    return source + ": read error after line " + std::to_string(number);
  }
  if (!vehicle) {
    return source + ": no problem line";
  }
  return *vehicle;
}

std::string demand_label(const Vehicle& vehicle, std::size_t entry) {
  if (vehicle.units[entry].empty()) {
    return entry_name(entry);
  }
  return std::string(simulate::kDemandNames[entry]) + " [" + vehicle.units[entry] + "]";
}

}  // namespace sfqp::envelope
