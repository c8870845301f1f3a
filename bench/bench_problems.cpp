#include "bench/bench_problems.h"

#include "solver/records.h"
#include "solver/solve_qp.h"
#include "tools/problems/problem_generator.h"

namespace sfqp::bench {

namespace {

BenchProblem worked_case(const std::string& name, double diagonal, double target) {
  BenchProblem entry{name, {}};
  for (int i = 0; i < kEqualityCount; ++i) {
    entry.problem.coupling[static_cast<std::size_t>(i + 4 * i)] = diagonal;
    entry.problem.target[static_cast<std::size_t>(i)] = target;
  }
  return entry;
}

}  // namespace

std::vector<BenchProblem> load_bench_problems() {
  std::vector<BenchProblem> problems = {worked_case("zero", 0.0, 0.0),
                                        worked_case("diag_half", 1.0, 0.5),
                                        worked_case("diag_ten", 1.0, 10.0)};
  for (const problems::Category category : problems::kAllCategories) {
    const int count = category == problems::Category::limit ? kLimitProblems : kPerCategory;
    for (const auto& generated :
         problems::generate_range(category, kBenchSeed, 0, static_cast<std::uint64_t>(count))) {
      BenchProblem entry{generated.name, {}};
      entry.problem.coupling = generated.coupling;
      entry.problem.target = generated.target;
      problems.push_back(entry);
    }
  }
  return problems;
}

int solve_once(const api::Problem& problem) {
  api::load_records(problem);
  return solve_qp();
}

}  // namespace sfqp::bench
