// `sfqp solve`'s whole path (reading the problem line, solving, writing the
// result line) against the core alone (api::solve) on the same problems, in
// one run: each pass times the core over the set, then the tool over the same
// set, so that both see the same machine load. The counters give microseconds
// a problem for each and their ratio (tool_over_core), the figure a user who
// solves a file of problems waits for. Times are this thread's processor time,
// so that the other programs of a shared machine weigh on neither.
//
// read_recording/csv and /jsonl read a recording of about 64 MB (the same
// problems' couplings and targets, one step a line) through RecordedInput, as
// sfqp simulate --input reads it, solving nothing: bytes_per_second is the
// reading's pace alone. bench/tool_throughput.py times the whole commands.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "api/core_api.h"
#include "tools/io/number_text.h"
#include "tools/io/problem_json.h"
#include "tools/problems/problem_generator.h"
#include "tools/sfqp/solve_command.h"
#include "tools/simulate/recorded_input.h"

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

constexpr std::size_t kRecordingBytes = std::size_t{64} << 20;

// The problems as the steps of a recording, over and over to about
// kRecordingBytes: CSV rows with a header, or JSON Lines.
std::string make_recording(const ProblemFile& file, simulate::FileFormat format) {
  const bool csv = format == simulate::FileFormat::csv;
  std::string steps;
  for (const api::Problem& problem : file.problems) {
    if (csv) {
      for (std::size_t k = 0; k < problem.coupling.size(); ++k) {
        io::append_text_number(steps, problem.coupling[k], false);
        steps += ',';
      }
      for (std::size_t i = 0; i < problem.target.size(); ++i) {
        io::append_text_number(steps, problem.target[i], false);
        steps += i + 1 < problem.target.size() ? ',' : '\n';
      }
    } else {
      steps += "{\"coupling\":";
      io::append_json_numbers(steps, problem.coupling, false);
      steps += ",\"target\":";
      io::append_json_numbers(steps, problem.target, false);
      steps += "}\n";
    }
  }
  std::string recording;
  if (csv) {
    for (const std::string& column : simulate::csv_input_columns()) {
      recording += recording.empty() ? "" : ",";
      recording += column;
    }
    recording += '\n';
  }
  while (recording.size() < kRecordingBytes) {
    recording += steps;
  }
  return recording;
}

void read_recording(benchmark::State& state, const std::string* recording,
                    simulate::FileFormat format) {
  std::size_t steps = 0;
  for (auto _ : state) {
    std::istringstream in(*recording);
    simulate::RecordedInput input(in, format);
    simulate::StepInput step;
    while (input.next(step)) {
      ++steps;
    }
    if (input.error()) {
      state.SkipWithError(input.error()->message.c_str());
      return;
    }
    benchmark::DoNotOptimize(step);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(recording->size()));
  state.counters["steps"] = static_cast<double>(steps) / static_cast<double>(state.iterations());
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
  static const auto csv = sfqp::bench::make_recording(decimal, sfqp::simulate::FileFormat::csv);
  static const auto jsonl =
      sfqp::bench::make_recording(decimal, sfqp::simulate::FileFormat::json_lines);
  benchmark::RegisterBenchmark("read_recording/csv", sfqp::bench::read_recording, &csv,
                               sfqp::simulate::FileFormat::csv)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("read_recording/jsonl", sfqp::bench::read_recording, &jsonl,
                               sfqp::simulate::FileFormat::json_lines)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
