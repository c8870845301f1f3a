// The fixed problem set of the benchmarks and the instruction counts: the
// worked cases (the zero problem, the diagonal coupling with targets 0.5 and
// 10) and problems of the project's seeded generator: 8 each of 16-rotor,
// Gaussian, scaled and degenerate problems and 2 that run to the iteration
// limit, all solved with the settings the block uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "api/core_api.h"

namespace sfqp::bench {

inline constexpr std::uint64_t kBenchSeed = 6;  // the seed of the generated problems
inline constexpr int kPerCategory = 8;
inline constexpr int kLimitProblems = 2;

struct BenchProblem {
  std::string name;
  api::Problem problem;
};

// The whole set, worked cases first, then the generated problems by category.
std::vector<BenchProblem> load_bench_problems();

// Runs solve_qp once on the problem and returns its iteration count.
int solve_once(const api::Problem& problem);

}  // namespace sfqp::bench
