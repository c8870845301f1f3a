// Solves one problem the way the block does and prints what the block would
// write. Reads 68 numbers from standard input: the 64 coupling values, column
// by column, then the 4 targets (C99 hexadecimal floats keep them exact).
// Prints the iteration count, then the 16 outputs as hexadecimal floats.
#include <sfqpsolv/core_api.h>

#include <cstdio>

int main() {
  sfqp::api::Problem problem;  // the block's weights and settings
  for (double& value : problem.coupling) {
    if (std::scanf("%la", &value) != 1) {
      std::fputs("embed_consumer: expected 64 coupling values, then 4 targets\n", stderr);
      return 1;
    }
  }
  for (double& value : problem.target) {
    if (std::scanf("%la", &value) != 1) {
      std::fputs("embed_consumer: expected 4 targets after the coupling\n", stderr);
      return 1;
    }
  }
  const sfqp::api::Result result = sfqp::api::solve(problem);
  std::printf("%d\n", result.iterations);
  for (const double u : result.output1) {
    std::printf("%a\n", u);
  }
  return 0;
}
