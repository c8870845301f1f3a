// `sfqp solve`'s whole path (reading the problem line, solving, writing the
// result line) against the core alone (api::solve) on the same problems, in
// one run: each pass times the core over the set, then the tool over the same
// set, so that both see the same machine load. The counters give microseconds
// a problem for each and their ratio (tool_over_core), the figure a user who
// solves a file of problems waits for. Times are this thread's processor time,
// so that the other programs of a shared machine weigh on neither.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "api/core_api.h"
#include "tools/io/problem_json.h"
#include "tools/problems/problem_generator.h"
#include "tools/sfqp/solve_command.h"

namespace sfqp::bench {
namespace {

// This thread's processor time.
struct Clock {
  using duration = std::chrono::nanoseconds;
  using time_point = std::chrono::time_point<Clock, duration>;
  static time_point now() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return time_point(std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec));
  }
};

constexpr std::uint64_t kSeed = 1;
constexpr std::uint64_t kPerCategory = 100;  // 500 problems: every category alike

struct ProblemFile {
  std::string text;                    // the JSON Lines, as `sfqp generate` writes them
  std::vector<api::Problem> problems;  // the same problems, parsed once
};

ProblemFile make_problem_file(bool exact_input) {
  ProblemFile file;
  for (const problems::Category category : problems::kAllCategories) {
    for (const auto& generated : problems::generate_range(category, kSeed, 0, kPerCategory)) {
      const std::string line =
          io::problem_to_json(generated.name, generated.coupling, generated.target, exact_input)
              .dump();
      file.text += line;
      file.text += '\n';
      auto parsed = io::parse_problem_line(line);
      file.problems.push_back(std::get<io::NamedProblem>(parsed).problem);
    }
  }
  return file;
}

void solve_file(benchmark::State& state, const ProblemFile* file, bool exact_output) {
  Clock::duration core{};
  Clock::duration tool{};
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    for (const api::Problem& problem : file->problems) {
      benchmark::DoNotOptimize(api::solve(problem));
    }
    const Clock::time_point core_done = Clock::now();
    std::istringstream in(file->text);
    std::ostringstream out;
    std::ostringstream err;
    benchmark::DoNotOptimize(tool::solve_lines(in, "bench", exact_output, out, err));
    tool += Clock::now() - core_done;
    core += core_done - start;
  }
  const double count =
      static_cast<double>(state.iterations()) * static_cast<double>(file->problems.size());
  const double core_us = std::chrono::duration<double, std::micro>(core).count() / count;
  const double tool_us = std::chrono::duration<double, std::micro>(tool).count() / count;
  state.counters["core_us"] = core_us;
  state.counters["tool_us"] = tool_us;
  state.counters["tool_over_core"] = tool_us / core_us;
}

}  // namespace
}  // namespace sfqp::bench

int main(int argc, char** argv) {
  static const auto decimal = sfqp::bench::make_problem_file(false);
  static const auto hexadecimal = sfqp::bench::make_problem_file(true);
  benchmark::RegisterBenchmark("solve_file/decimal_in/default_out", sfqp::bench::solve_file,
                               &decimal, false)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("solve_file/decimal_in/exact_out", sfqp::bench::solve_file, &decimal,
                               true)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("solve_file/exact_in/exact_out", sfqp::bench::solve_file,
                               &hexadecimal, true)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
