// sfqp_soak: the full soak run, for scripts/soak.sh.
//
//   sfqp_soak [steps, default 1000000] [sample every, default 1000]
//
// Prints the figures and exits 1 when any check fails: an error status, an
// output outside the block's contract, a sampled output that differs from a
// fresh solve, or memory taken after the first step.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/soak/soak_run.h"

namespace {

bool parse_count(const char* text, std::int64_t& value) {
  try {
    std::size_t used = 0;
    const long long parsed = std::stoll(text, &used);
    if (used != std::string(text).size() || parsed < 1) {
      return false;
    }
    value = parsed;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

int main(int argc, char** argv) {
  sfqp::test::SoakOptions options;
  if (argc > 3 || (argc > 1 && !parse_count(argv[1], options.steps)) ||
      (argc > 2 && !parse_count(argv[2], options.sample_every))) {
    std::fprintf(stderr, "usage: sfqp_soak [steps] [sample every]  (positive whole numbers)\n");
    return 2;
  }
  const sfqp::test::SoakReport report = sfqp::test::run_soak(options);
  std::printf("%s", sfqp::test::describe(report).c_str());
  const bool passed = report.error.empty() && report.steps == options.steps &&
                      report.mismatches == 0 && report.invalid_outputs == 0 &&
                      report.allocations_after_first_step == 0;
  std::printf("soak: %s\n", passed ? "passed" : "FAILED");
  return passed ? EXIT_SUCCESS : EXIT_FAILURE;
}
