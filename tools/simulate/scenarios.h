// Built-in scenarios: input signals that look like an allocation problem of a
// 16-rotor vehicle, so the block can be watched at work before it goes into a
// model.
//
// The vehicle: 16 rotors on a ring of radius 0.6 m at angles j*pi/8, rotor 0
// counter-clockwise and the spins alternating; each gives up to 15 N of thrust
// and 0.3 N m of reaction torque at full command. Column j of the 4x16
// effectiveness matrix (thrust, roll, pitch, yaw per unit command) is
//   (k_T, k_T L sin(theta_j), -k_T L cos(theta_j), +-k_D),
// with L = 0.6 m, k_T = 15 N, k_D = 0.3 N m, + for even j. It weighs 12 kg, so
// hovering takes 117.68 N, about half of all the rotors can give.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "solver/records.h"
#include "tools/simulate/step_input.h"

namespace sfqp::simulate {

// Something that happens to the vehicle, marked on the plot.
struct ScenarioEvent {
  double time;  // s
  std::string_view label;
};

struct Scenario {
  std::string_view name;
  std::string_view description;  // one line, for --list-scenarios
  double period;                 // s per step
  std::size_t steps;
  StepInput (*step_at)(double time);  // the inputs at time s
  std::span<const ScenarioEvent> events;
};

inline constexpr std::string_view kDefaultScenario = "manoeuvre";

// The vehicle's four demands t0..t3 and their units.
inline constexpr std::array<std::string_view, kEqualityCount> kDemandNames = {"thrust", "roll",
                                                                              "pitch", "yaw"};
inline constexpr std::array<std::string_view, kEqualityCount> kDemandUnits = {"N", "N m", "N m",
                                                                              "N m"};

std::span<const Scenario> scenarios();
const Scenario* find_scenario(std::string_view name);

// The scenario's input signals, step by step.
StepInputs scenario_inputs(const Scenario& scenario);

}  // namespace sfqp::simulate
