#include "tools/simulate/scenarios.h"

#include <algorithm>
#include <array>

#include "tools/problems/problem_generator.h"

namespace sfqp::simulate {

namespace {

constexpr problems::RotorRing kVehicleRing{
    .arm_length = 0.6, .thrust_coefficient = 15.0, .drag_coefficient = 0.3};
constexpr double kGravity = 9.80665;   // m/s^2
constexpr double kVehicleMass = 12.0;  // kg
constexpr double kHoverThrust = kVehicleMass * kGravity;

enum Channel : std::size_t { kThrust = 0, kRoll = 1, kPitch = 2, kYaw = 3 };

// 0 before start, 1 after start + rise, a smooth cubic in between. Built from
// basic operations only, so the scenario is the same on every platform.
double ramp(double t, double start, double rise) {
  const double x = std::clamp((t - start) / rise, 0.0, 1.0);
  return x * x * (3.0 - 2.0 * x);
}

// A demand that rises smoothly from 0 to amplitude at start and falls back to 0
// at end.
struct Pulse {
  Channel channel;
  double start;
  double end;
  double amplitude;
  double rise;
};

double pulse(const Pulse& p, double t) {
  return p.amplitude * (ramp(t, p.start, p.rise) - ramp(t, p.end, p.rise));
}

// Hover, then demands within and beyond what the rotors can give, on every
// axis. Beyond the limits: a 55 N m pitch demand (at hover the ring gives about
// 44 N m), a 3 N m yaw demand (about 2.35 N m), and at the end a combined roll,
// pitch and yaw demand. From 5 s rotor 3 has failed, and the roll doublet, a
// climb and the combined demand are flown on the remaining 15.
constexpr std::array<Pulse, 12> kManoeuvre = {{
    {kRoll, 1.0, 1.6, 20.0, 0.1},
    {kRoll, 1.6, 2.2, -20.0, 0.1},
    {kPitch, 2.5, 3.3, 55.0, 0.15},
    {kYaw, 3.6, 4.6, 3.0, 0.2},
    {kRoll, 6.0, 6.6, 20.0, 0.1},
    {kRoll, 6.6, 7.2, -20.0, 0.1},
    {kThrust, 7.5, 8.5, 80.0, 0.2},
    {kYaw, 7.7, 8.3, 1.0, 0.1},
    {kRoll, 8.8, 9.6, 30.0, 0.15},
    {kPitch, 8.8, 9.6, -30.0, 0.15},
    {kYaw, 8.8, 9.6, -2.5, 0.15},
    {kThrust, 8.8, 9.6, 10.0, 0.15},
}};
constexpr double kManoeuvreFailureTime = 5.0;
constexpr std::size_t kManoeuvreFailedRotor = 3;

// Rotors fail one after another, every 0.5 s from 0.5 s, spread around the
// ring, while the vehicle holds hover and a slow roll doublet: at the end five
// rotors are left, too few to hold the vehicle up.
constexpr std::array<std::size_t, 11> kFailureOrder = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5};
constexpr double kFailureInterval = 0.5;
constexpr std::array<Pulse, 2> kFailureDoublet = {{
    {kRoll, 1.0, 3.0, 10.0, 0.5},
    {kRoll, 3.0, 5.0, -10.0, 0.5},
}};

// Hovering with a yaw demand that grows steadily to 4 N m, well past the
// 2.35 N m the reaction torques can give.
constexpr double kSweepDuration = 5.0;
constexpr double kSweepFinalYaw = 4.0;

void fail_rotor(StepInput& step, std::size_t rotor) {
  std::fill_n(step.coupling.begin() + static_cast<std::ptrdiff_t>(rotor * kEqualityCount),
              kEqualityCount, 0.0);
}

StepInput hover_step() {
  StepInput step;
  step.coupling = problems::rotor16_coupling(kVehicleRing);
  step.target = {kHoverThrust, 0.0, 0.0, 0.0};
  return step;
}

StepInput manoeuvre_step(double t) {
  StepInput step = hover_step();
  for (const Pulse& p : kManoeuvre) {
    step.target[p.channel] += pulse(p, t);
  }
  if (t >= kManoeuvreFailureTime) {
    fail_rotor(step, kManoeuvreFailedRotor);
  }
  return step;
}

StepInput hover_only_step(double) {
  return hover_step();
}

StepInput rotor_failures_step(double t) {
  StepInput step = hover_step();
  for (const Pulse& p : kFailureDoublet) {
    step.target[p.channel] += pulse(p, t);
  }
  for (std::size_t k = 0; k < kFailureOrder.size(); ++k) {
    if (t >= kFailureInterval * static_cast<double>(k + 1)) {
      fail_rotor(step, kFailureOrder[k]);
    }
  }
  return step;
}

StepInput yaw_sweep_step(double t) {
  StepInput step = hover_step();
  step.target[kYaw] = kSweepFinalYaw * std::min(t / kSweepDuration, 1.0);
  return step;
}

constexpr double kOneKilohertz = 0.001;

constexpr std::array<ScenarioEvent, 1> kManoeuvreEvents = {
    {{kManoeuvreFailureTime, "rotor 3 fails"}}};
constexpr std::array<ScenarioEvent, kFailureOrder.size()> kFailureEvents = {{
    {0.5, "0 fails"},
    {1.0, "8"},
    {1.5, "4"},
    {2.0, "12"},
    {2.5, "2"},
    {3.0, "10"},
    {3.5, "6"},
    {4.0, "14"},
    {4.5, "1"},
    {5.0, "9"},
    {5.5, "5"},
}};

constexpr std::array<Scenario, 4> kScenarios = {{
    {kDefaultScenario,
     "10 s at 1 kHz: hover, roll/pitch/yaw demands (some beyond reach), rotor 3 fails at 5 s",
     kOneKilohertz, 10000, manoeuvre_step, kManoeuvreEvents},
    {"hover", "2 s at 1 kHz of steady hover", kOneKilohertz, 2000, hover_only_step, {}},
    {"rotor-failures",
     "6 s at 1 kHz: a rotor fails every 0.5 s until five are left, too few to hover", kOneKilohertz,
     6000, rotor_failures_step, kFailureEvents},
    {"yaw-sweep",
     "5 s at 1 kHz: hover with a yaw demand growing to 4 N m, past the limit",
     kOneKilohertz,
     5000,
     yaw_sweep_step,
     {}},
}};

}  // namespace

std::span<const Scenario> scenarios() {
  return kScenarios;
}

const Scenario* find_scenario(std::string_view name) {
  const auto found = std::find_if(kScenarios.begin(), kScenarios.end(),
                                  [&](const Scenario& s) { return s.name == name; });
  return found == kScenarios.end() ? nullptr : &*found;
}

StepInputs scenario_inputs(const Scenario& scenario) {
  StepInputs inputs;
  inputs.reserve(scenario.steps);
  for (std::size_t k = 0; k < scenario.steps; ++k) {
    inputs.push_back(scenario.step_at(static_cast<double>(k) * scenario.period));
  }
  return inputs;
}

}  // namespace sfqp::simulate
