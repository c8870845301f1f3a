// One point of an envelope: a demand solved exactly as the block solves it
// (its weights, its settings, 16 zeros when the solve takes more than its
// iteration budget), and what that gives the vehicle.
#pragma once

#include <array>
#include <cstdint>

#include "api/core_api.h"
#include "tools/envelope/grid.h"

namespace sfqp::envelope {

using Coupling = std::array<double, kCouplingCount>;

// Plain data, so that worker processes can hand results over as bytes.
struct PointResult {
  std::int32_t iterations = 0;
  std::uint8_t converged = 0;
  std::uint8_t fell_back = 0;     // the block wrote 16 zeros
  std::uint8_t beyond_reach = 0;  // see PointSolver
  Demand achieved{};              // coupling * output 1: what the vehicle gets
};

// The fraction of an entry's full reach by which the solve's commands may miss
// the demand and the demand still counts as within reach.
inline constexpr double kReachToleranceShare = 1e-3;
// The tolerance of an entry the rotors cannot move at all.
inline constexpr double kLeastReachTolerance = 1e-9;

class PointSolver {
 public:
  explicit PointSolver(const Coupling& coupling);

  // A demand is beyond reach when the solve's own commands u (what it found,
  // whether the block wrote them or zeros) miss some entry i of it by more
  // than tolerance()[i]: |(coupling * u)_i - demand_i| > tolerance_i, or the
  // miss is not a number. Within reach the miss is only what the weights trade
  // (about 1e-6 of a demand); beyond it the error terms take the rest.
  PointResult solve(const Demand& demand) const;

  // kReachToleranceShare of sum_j |coupling_ij|, what the 16 commands at full
  // give along entry i in magnitude; at least kLeastReachTolerance.
  const Demand& tolerance() const { return tolerance_; }
  const Coupling& coupling() const { return problem_.coupling; }

 private:
  api::Problem problem_;  // the block's weights and settings: the defaults
  Demand tolerance_{};
};

}  // namespace sfqp::envelope
