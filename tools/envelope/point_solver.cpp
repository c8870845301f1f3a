#include "tools/envelope/point_solver.h"

#include <algorithm>
#include <cmath>

#include "tools/problems/problem_generator.h"

namespace sfqp::envelope {

PointSolver::PointSolver(const Coupling& coupling) {
  problem_.coupling = coupling;
  for (std::size_t i = 0; i < kEqualityCount; ++i) {
    double reach = 0.0;
    for (std::size_t j = 0; j < kEffortCount; ++j) {
      reach += std::fabs(coupling[i + kEqualityCount * j]);
    }
    tolerance_[i] = std::max(kReachToleranceShare * reach, kLeastReachTolerance);
  }
}

PointResult PointSolver::solve(const Demand& demand) const {
  api::Problem problem = problem_;
  problem.target = demand;
  const api::Result solved = api::solve(problem);

  PointResult point;
  point.iterations = solved.iterations;
  point.converged = solved.converged ? 1 : 0;
  point.fell_back = solved.iterations > api::kBlockIterationBudget ? 1 : 0;
  point.achieved = problems::demand_of(problem.coupling, solved.output1);
  const Demand reached = problems::demand_of(problem.coupling, solved.u);
  for (std::size_t i = 0; i < kEqualityCount; ++i) {
    if (!(std::fabs(reached[i] - demand[i]) <= tolerance_[i])) {
      point.beyond_reach = 1;
    }
  }
  return point;
}

}  // namespace sfqp::envelope
