// The fixed problem set of the benchmarks and the instruction counts: the
// worked cases and the 16-rotor, Gaussian, scaled and degenerate problems of
// the reference set, solved with the settings the block uses.
#pragma once

#include <string>
#include <vector>

#include "api/core_api.h"

namespace sfqp::bench {

struct BenchProblem {
  std::string name;
  api::Problem problem;
};

// Every problem of the set that solves with the block's settings, in file order.
std::vector<BenchProblem> load_bench_problems();

// Writes the problem into the solver's records as the block's output step does
// (defaults, progress table off, views bound); solve_qp() can follow at once,
// as often as wanted: a solve never changes its inputs.
void load_into_records(const api::Problem& problem);

// Runs solve_qp once on the problem and returns its iteration count.
int solve_once(const api::Problem& problem);

}  // namespace sfqp::bench
