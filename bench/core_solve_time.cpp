// The core's time for a file of problems: reads every problem line first, then
// solves them all with api::solve in turn and prints this thread's processor
// time per solve. bench/tool_throughput.py runs it beside
// each sfqp command on the same problems, so that the command's time has the
// core's own to be measured against.
//
//   sfqp_core_solve_time PROBLEMS.jsonl
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <variant>
#include <vector>

#include "api/core_api.h"
#include "tools/io/problem_json.h"

namespace {

double thread_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PROBLEMS.jsonl\n", argv[0]);
    return 2;
  }
  std::ifstream file(argv[1]);
  if (!file) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  std::vector<sfqp::api::Problem> problems;
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    auto parsed = sfqp::io::parse_problem_line(line);
    if (const auto* error = std::get_if<std::string>(&parsed)) {
      std::fprintf(stderr, "%s line %d: %s\n", argv[1], number, error->c_str());
      return 1;
    }
    problems.push_back(std::get<sfqp::io::NamedProblem>(parsed).problem);
  }
  std::int64_t iterations = 0;
  const double start = thread_seconds();
  for (const sfqp::api::Problem& problem : problems) {
    iterations += sfqp::api::solve(problem).iterations;
  }
  const double seconds = thread_seconds() - start;
  std::printf("problems %zu iterations %lld seconds_per_solve %.9g\n", problems.size(),
              static_cast<long long>(iterations),
              problems.empty() ? 0.0 : seconds / static_cast<double>(problems.size()));
  return 0;
}
