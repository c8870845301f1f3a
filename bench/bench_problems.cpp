#include "bench/bench_problems.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

#include "solver/records.h"
#include "solver/solve_qp.h"
#include "tools/io/problem_json.h"

namespace sfqp::bench {

std::vector<BenchProblem> load_bench_problems() {
  const std::string path = SFQP_BENCH_PROBLEMS;
  std::ifstream in(path);
  if (!in) {
    throw std::runtime_error("cannot open " + path);
  }
  std::vector<BenchProblem> problems;
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (line.empty()) {
      continue;
    }
    auto parsed = io::parse_problem_line(line);
    if (auto* error = std::get_if<std::string>(&parsed)) {
      throw std::runtime_error(path + ":" + std::to_string(number) + ": " + *error);
    }
    auto& named = std::get<io::NamedProblem>(parsed);
    // Problems with settings of their own exercise diagnostics, not speed.
    if (named.problem.settings) {
      continue;
    }
    problems.push_back({named.name.value_or("line " + std::to_string(number)), named.problem});
  }
  return problems;
}

void load_into_records(const api::Problem& problem) {
  set_default_settings();
  solver_settings.print_progress = 0;
  bind_views();
  std::memcpy(problem_data.coupling, problem.coupling.data(), sizeof problem_data.coupling);
  std::memcpy(problem_data.target, problem.target.data(), sizeof problem_data.target);
  std::memcpy(problem_data.error_weight, problem.error_weight.data(),
              sizeof problem_data.error_weight);
  std::memcpy(problem_data.effort_weight, problem.effort_weight.data(),
              sizeof problem_data.effort_weight);
}

int solve_once(const api::Problem& problem) {
  load_into_records(problem);
  return solve_qp();
}

}  // namespace sfqp::bench
