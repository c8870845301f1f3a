// The soak run in brief, as CI runs it; scripts/soak.sh runs the full million
// steps.
#include <gtest/gtest.h>

#include "tests/soak/soak_run.h"

namespace sfqp::test {
namespace {

TEST(Soak, TwoBlocksDriftingForTenThousandSteps) {
  SoakOptions options;
  options.steps = 10'000;
  options.sample_every = 250;
  const SoakReport report = run_soak(options);
  std::printf("%s", describe(report).c_str());
  EXPECT_EQ(report.error, "");
  EXPECT_EQ(report.steps, options.steps);
  EXPECT_EQ(report.mismatches, 0);
  EXPECT_EQ(report.invalid_outputs, 0);
  EXPECT_GT(report.samples, 2 * options.steps / options.sample_every);
  EXPECT_LT(report.zero_outputs, report.steps) << "the scenario is mostly solvable";
  EXPECT_EQ(report.allocations_after_first_step, 0u);
#if !defined(SFQP_UNDER_EMULATOR)
  // Under an emulator (qemu-user) resident memory also holds the emulator's
  // translated code, which grows as new paths run; the allocation count above
  // is what holds there.
  EXPECT_LE(report.rss_at_end_kib - report.rss_after_first_step_kib, 1024);
  EXPECT_LE(report.rss_at_end_kib - report.rss_after_tenth_kib, 256);
#endif
}

}  // namespace
}  // namespace sfqp::test
