#include "firmware/golden_load.h"

#include <cstring>

#include "solver/block_problem.h"
#include "solver/records.h"
#include "solver/solve_qp.h"

namespace sfqp::firmware {

void load_golden(const GoldenCase& golden) {
  std::memset(&problem_data, 0, sizeof problem_data);
  std::memset(&workspace, 0, sizeof workspace);
  std::memset(&solution, 0, sizeof solution);
  set_default_settings();
  if (golden.settings != nullptr) {
    golden.settings(solver_settings);
  } else {
    solver_settings.print_progress = 0;
  }
  bind_views();
  std::memcpy(problem_data.coupling, golden.coupling, sizeof problem_data.coupling);
  std::memcpy(problem_data.target, golden.target, sizeof problem_data.target);
  for (int k = 0; k < kErrorCount; ++k) {
    problem_data.error_weight[k] =
        golden.error_weight != nullptr ? golden.error_weight[k] : kBlockErrorWeight;
  }
  for (int k = 0; k < kEffortCount; ++k) {
    problem_data.effort_weight[k] =
        golden.effort_weight != nullptr ? golden.effort_weight[k] : kBlockEffortWeight;
  }
}

const GoldenCase* find_golden(const char* name) {
  for (int n = 0; n < kGoldenCaseCount; ++n) {
    if (std::strcmp(kGoldenCases[n].name, name) == 0) {
      return &kGoldenCases[n];
    }
  }
  return nullptr;
}

}  // namespace sfqp::firmware
