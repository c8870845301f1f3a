// The soak run: a model of two blocks stepping alternately through a slowly
// drifting scenario for many steps. It watches for what a long simulation
// would reveal: memory that grows after the first step, a step whose output
// differs from a fresh solve of the same inputs (state carried between steps
// or between blocks), an error status, or an output outside the block's
// contract.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sfqp::test {

struct SoakOptions {
  std::int64_t steps = 1'000'000;
  // Every sample_every-th step of each block is compared bit for bit with a
  // fresh solve of its inputs through the core API.
  std::int64_t sample_every = 1000;
  std::string module_path;  // empty: the module this build produces
};

struct SoakReport {
  std::int64_t steps = 0;  // model steps; each steps both blocks
  std::int64_t samples = 0;
  std::int64_t mismatches = 0;       // sampled outputs that differ from a fresh solve
  std::int64_t invalid_outputs = 0;  // outputs neither zeros nor within the box
  std::int64_t zero_outputs = 0;     // steps whose solve ran out of iterations
  std::size_t allocations_after_first_step = 0;
  std::int64_t rss_after_first_step_kib = 0;
  // Pages touched for the first time later on (a code path first taken at a
  // later step) raise the resident size once; growth shows as a rise after
  // the first tenth of the run.
  std::int64_t rss_after_tenth_kib = 0;
  std::int64_t rss_at_end_kib = 0;
  std::int64_t peak_rss_kib = 0;
  std::string error;  // an error status that stopped the run, if any
};

SoakReport run_soak(const SoakOptions& options);

// One line per figure, for the log.
std::string describe(const SoakReport& report);

}  // namespace sfqp::test
