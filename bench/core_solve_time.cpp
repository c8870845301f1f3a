// The core's time for a file of problems: reads every problem line first, then
// solves them all with api::solve in turn, repeats times, and prints this
// thread's processor time per solve. bench/tool_throughput.py runs it beside
// each sfqp command on the same problems, so that the command's time has the
// core's own to be measured against.
//
//   sfqp_core_solve_time PROBLEMS.jsonl [REPEATS]
#include <time.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
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
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s PROBLEMS.jsonl [REPEATS]\n", argv[0]);
    return 2;
  }
  int repeats = 1;
  if (argc == 3) {
    const std::string_view text(argv[2]);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), repeats);
    if (error != std::errc() || end != text.data() + text.size() || repeats < 1) {
      std::fprintf(stderr, "REPEATS must be a whole number of at least 1\n");
      return 2;
    }
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
  for (int round = 0; round < repeats; ++round) {
    for (const sfqp::api::Problem& problem : problems) {
      iterations += sfqp::api::solve(problem).iterations;
    }
  }
  const double seconds = thread_seconds() - start;
  const double solves = static_cast<double>(problems.size()) * repeats;
  std::printf("problems %zu repeats %d iterations %lld seconds_per_solve %.9g\n", problems.size(),
              repeats, static_cast<long long>(iterations / repeats),
              solves > 0 ? seconds / solves : 0.0);
  return 0;
}
