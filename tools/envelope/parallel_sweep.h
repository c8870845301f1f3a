// Solves the points of an envelope on several processors: worker processes
// forked from this one, each with its own copy of the solver's static records,
// so that the records stay as the block has them, one solve at a time each.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "tools/envelope/point_solver.h"

namespace sfqp::envelope {

// The processors of this machine (at least 1): the default number of jobs.
unsigned available_processors();

// Solves every demand, spread over jobs processes (worker w takes demands w,
// w + jobs, w + 2 jobs, ..., so that slow regions of the grid are shared out).
// The results, in the order of demands, are the same bits for any jobs: every
// point is one solve from freshly zeroed records. jobs 1, and every build
// without fork (Windows), solve in this process. on_progress(done) is called
// as results arrive. Throws std::runtime_error when a worker cannot be started
// or does not deliver all its results.
std::vector<PointResult> solve_points(const PointSolver& solver, std::span<const Demand> demands,
                                      unsigned jobs,
                                      const std::function<void(std::size_t)>& on_progress);

}  // namespace sfqp::envelope
