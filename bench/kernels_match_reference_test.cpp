// The laid-out kernels against the plain arithmetic they must reproduce, and
// the operation counts that the benchmarks set beside their instruction
// counts. The plain arithmetic (reference/reference_solver.h) is the solver as
// written before its kernels ran in lanes; here it must give the solver's bits
// on the benchmark set and the fast kernels' bits on varied KKT systems, so
// that the operations it counts are the ones the solver does.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <span>
#include <string>

#include "bench/bench_problems.h"
#include "bench/flop_counts.h"
#include "bench/reference/counted_double.h"
#include "bench/reference/load_reference.h"
#include "solver/records.h"
#include "solver/solve_qp.h"
#include "tests/support/bits.h"
#include "tests/support/instruction_sets.h"

namespace sfqp::bench {
namespace {

using test::same_bits;

template <std::size_t N>
std::span<const double> view(const double (&a)[N]) {
  return {a, N};
}

// A KKT system of the iteration's shape with varied values: scalings over
// many magnitudes, some negative so that pivots get replaced, couplings from
// 1e-4 to 1e3, either z diagonal, and random weights.
void random_system(std::mt19937_64& random, ReferenceSolver<double>& reference) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-8, 6);
  auto scaled = [&] { return std::ldexp(unit(random), exponent(random)); };
  set_default_settings();
  solver_settings.print_progress = 0;
  bind_views();
  for (int k = 0; k < kInequalityCount; ++k) {
    workspace.z_over_s[k] = random() % 8 == 0 ? scaled() : std::abs(scaled());
  }
  workspace.z_block_diagonal = random() % 2 == 0 ? 0.0 : -1.0;
  for (double& c : problem_data.coupling) {
    c = random() % 5 == 0 ? 0.0 : scaled();
  }
  for (double& weight : problem_data.error_weight) {
    weight = std::abs(scaled()) * 1e4;
  }
  for (double& weight : problem_data.effort_weight) {
    weight = std::abs(scaled());
  }
  copy_into(reference.z_over_s, workspace.z_over_s);
  reference.z_block_diagonal = workspace.z_block_diagonal;
  copy_into(reference.coupling, problem_data.coupling);
  copy_into(reference.error_weight, problem_data.error_weight);
  copy_into(reference.effort_weight, problem_data.effort_weight);
  reference.kkt_regularization = solver_settings.kkt_regularization;
}

// Each build's kernels.
class FastKernels : public test::EachInstructionSet {};

// The kernels a call of the iteration's shape runs: fill_kkt, then a factor,
// a solve and a refinement of one form: the stored one, or the filled one,
// which must read nothing of kkt_values; the start's factor takes the scaling
// of the improved start.
struct KernelForm {
  const char* name;
  void (*factor)();
  void (*solve)(const double* target, double* result);
  void (*refine)(const double* target, double* var);
  bool reads_kkt_values;
  bool start_scaling = false;
};

// 300 varied systems, every 10th with non-finite values and zeros of both
// signs among its scalings and right-hand side.
void check_against_the_plain_arithmetic(const Arithmetic& build, const KernelForm& form) {
  SCOPED_TRACE(form.name);
  std::mt19937_64 random(20261208);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  constexpr double kSpecial[] = {0.0, -0.0, HUGE_VAL, -HUGE_VAL,
                                 std::numeric_limits<double>::quiet_NaN()};
  static ReferenceSolver<double> reference;
  for (int trial = 0; trial < 300; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    random_system(random, reference);
    for (int i = 0; i < kKktSize; ++i) {
      workspace.kkt_rhs[i] = std::ldexp(unit(random), static_cast<int>(random() % 20) - 10);
    }
    if (trial % 10 == 9) {
      workspace.z_over_s[random() % kInequalityCount] = kSpecial[random() % 5];
      for (int n = 0; n < 4; ++n) {
        workspace.kkt_rhs[random() % kKktSize] = kSpecial[random() % 5];
      }
      copy_into(reference.z_over_s, workspace.z_over_s);
    }
    copy_into(reference.kkt_rhs, workspace.kkt_rhs);
    if (form.start_scaling) {
      for (double& scaling : workspace.z_over_s) {
        scaling = 1.0;
      }
      workspace.z_block_diagonal = -1.0;
      copy_into(reference.z_over_s, workspace.z_over_s);
      reference.z_block_diagonal = workspace.z_block_diagonal;
    }

    build.fill_kkt();
    reference.fill_kkt();
    ASSERT_TRUE(same_bits(view(reference.kkt_values), view(workspace.kkt_values)));

    build.kkt_multiply(workspace.corrector_direction, workspace.kkt_rhs);
    reference.kkt_multiply(reference.corrector_direction, reference.kkt_rhs);
    ASSERT_TRUE(same_bits(view(reference.corrector_direction), view(workspace.corrector_direction)))
        << "multiply";

    if (!form.reads_kkt_values) {
      for (double& value : workspace.kkt_values) {
        value = std::nan("");
      }
    }
    form.factor();
    reference.kkt_factor();
    ASSERT_TRUE(same_bits(view(reference.factor_L), view(workspace.factor_L))) << "L";
    ASSERT_TRUE(same_bits(view(reference.factor_D), view(workspace.factor_D))) << "D";
    ASSERT_TRUE(same_bits(view(reference.factor_D_inverse), view(workspace.factor_D_inverse)));

    form.solve(workspace.kkt_rhs, workspace.direction);
    reference.kkt_solve(reference.kkt_rhs, reference.direction);
    ASSERT_TRUE(same_bits(view(reference.direction), view(workspace.direction))) << "solve";

    form.refine(workspace.kkt_rhs, workspace.direction);
    reference.kkt_refine(reference.kkt_rhs, reference.direction);
    ASSERT_TRUE(same_bits(view(reference.direction), view(workspace.direction))) << "refine";
    ASSERT_TRUE(same_bits(view(reference.kkt_residual), view(workspace.kkt_residual)));
    ASSERT_TRUE(same_bits(view(reference.kkt_correction), view(workspace.kkt_correction)));
  }
}

TEST_P(FastKernels, MatchThePlainArithmeticToTheBit) {
  const Arithmetic& build = arithmetic(GetParam());
  check_against_the_plain_arithmetic(
      build, {"stored", build.kkt_factor, build.kkt_solve, build.kkt_refine, true});
}

// The forms that read the matrix from where fill_kkt takes it give the same
// bits, with kkt_values all NaN.
TEST_P(FastKernels, FilledFormsMatchThePlainArithmeticToTheBit) {
  const Arithmetic& build = arithmetic(GetParam());
  check_against_the_plain_arithmetic(
      build,
      {"filled", build.kkt_factor_filled, build.kkt_solve_filled, build.kkt_refine_filled, false});
}

// The start's factor, which reads its scaling as constants, gives the bits of
// the plain arithmetic on the improved start's matrix.
TEST_P(FastKernels, StartFactorMatchesThePlainArithmeticToTheBit) {
  const Arithmetic& build = arithmetic(GetParam());
  check_against_the_plain_arithmetic(
      build, {"start", build.kkt_factor_start, build.kkt_solve_filled, build.kkt_refine_filled,
              false, true});
}

SFQP_FOR_EACH_INSTRUCTION_SET(FastKernels);

// Each build's whole solves.
class WholeSolves : public test::EachInstructionSet {};

// The iterate, and the matrix and factors of the last factorisation, after no
// iterations, one, and as many as each problem takes.
TEST_P(WholeSolves, MatchThePlainArithmeticToTheBit) {
  static ReferenceSolver<double> reference;
  for (const auto& entry : load_bench_problems()) {
    for (const std::int32_t limit : {0, 1, 25}) {
      SCOPED_TRACE(entry.name + " limit " + std::to_string(limit));
      api::load_records(entry.problem);
      solver_settings.iteration_limit = limit;
      const int iterations = solve_qp();
      reference = {};
      load_problem(reference, entry.problem);
      reference.iteration_limit = limit;
      ASSERT_EQ(reference.solve_qp(), iterations);
      EXPECT_EQ(reference.converged, workspace.converged);
      EXPECT_TRUE(same_bits(view(reference.x), view(workspace.x))) << "x";
      EXPECT_TRUE(same_bits({reference.s, kInequalityCount}, {workspace.s, kInequalityCount}));
      EXPECT_TRUE(same_bits({reference.z, kInequalityCount}, {workspace.z, kInequalityCount}));
      EXPECT_TRUE(same_bits({reference.y, kEqualityCount}, {workspace.y, kEqualityCount}));
      if (limit > 0) {  // the start measures no gap
        EXPECT_TRUE(same_bits(reference.gap, workspace.gap));
      }
      EXPECT_TRUE(same_bits(view(reference.kkt_values), view(workspace.kkt_values))) << "K";
      EXPECT_TRUE(same_bits(view(reference.factor_L), view(workspace.factor_L))) << "L";
      EXPECT_TRUE(same_bits(view(reference.factor_D), view(workspace.factor_D))) << "D";
      EXPECT_TRUE(same_bits(view(reference.factor_D_inverse), view(workspace.factor_D_inverse)));
    }
  }
}

SFQP_FOR_EACH_INSTRUCTION_SET(WholeSolves);

// With the plain start and no iterations nothing is factored, and the matrix
// of the solve before stays.
TEST(PlainStartWithoutIterations, LeavesTheMatrixAsItWas) {
  const auto problems = load_bench_problems();
  ASSERT_FALSE(problems.empty());
  api::load_records(problems.front().problem);
  for (double& value : workspace.kkt_values) {
    value = -3.0;
  }
  solver_settings.improved_start = 0;
  solver_settings.iteration_limit = 0;
  EXPECT_EQ(solve_qp(), 0);
  for (const double value : workspace.kkt_values) {
    ASSERT_EQ(value, -3.0);
  }
}

// With no replaced pivot (a replaced one skips its +delta or -delta) every
// kernel does a fixed number of operations.
TEST(FlopCounts, KernelsDoTheCheckedNumberOfOperations) {
  static ReferenceSolver<CountedDouble> counted;
  const auto problems = load_bench_problems();
  ASSERT_FALSE(problems.empty());
  load_problem(counted, problems.front().problem);
  counted.solve_qp();
  auto count = [](auto&& call) {
    flop_count = {};
    call();
    return flop_count;
  };
  EXPECT_EQ(count([&] { counted.fill_kkt(); }).total(), kFillKktFlops);
  const FlopCount factor = count([&] { counted.kkt_factor(); });
  EXPECT_EQ(factor.total(), kKktFactorFlops);
  EXPECT_EQ(factor.divisions, 88u);
  const FlopCount solve = count([&] { counted.kkt_solve(counted.kkt_rhs, counted.direction); });
  EXPECT_EQ(solve.total(), kKktSolveFlops);
  EXPECT_EQ(solve.divisions, 0u);
  EXPECT_EQ(count([&] { counted.kkt_multiply(counted.kkt_residual, counted.direction); }).total(),
            kKktMultiplyFlops);
  EXPECT_EQ(count([&] { counted.kkt_refine(counted.kkt_rhs, counted.direction); }).total(),
            kKktRefineFlops);
}

// A solve costs the start, then per iteration the same operations plus the
// step rule's divisions, which depend on the data.
TEST(FlopCounts, ASolveIsItsStartPlusItsIterations) {
  static ReferenceSolver<CountedDouble> counted;
  std::uint64_t per_iteration_without_divisions = 0;
  std::uint64_t start = 0;
  for (const auto& entry : load_bench_problems()) {
    counted = {};
    load_problem(counted, entry.problem);
    counted.iteration_limit = 0;
    flop_count = {};
    counted.solve_qp();
    const FlopCount start_count = flop_count;
    counted.iteration_limit = 1;
    flop_count = {};
    counted.solve_qp();
    const std::uint64_t one =
        flop_count.total() - flop_count.divisions - (start_count.total() - start_count.divisions);
    if (per_iteration_without_divisions == 0) {
      per_iteration_without_divisions = one;
      start = start_count.total();
    }
    EXPECT_EQ(one, per_iteration_without_divisions) << entry.name;
  }
  EXPECT_GT(start, 1000u);
  EXPECT_GT(per_iteration_without_divisions, 6500u);
}

}  // namespace
}  // namespace sfqp::bench
