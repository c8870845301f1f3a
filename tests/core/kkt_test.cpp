// The KKT subsystem on its own: the stored matrix against its block structure,
// the factorisation's pivot rule and self-check, the solve, the product and
// the refinement, including their console lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "kkt/fill_kkt.h"
#include "kkt/kkt_factor.h"
#include "kkt/kkt_internal.h"
#include "kkt/kkt_refine.h"
#include "kkt/kkt_solve.h"
#include "solver/records.h"
#include "tests/support/bits.h"
#include "tests/support/console_capture.h"

namespace sfqp::test {
namespace {

constexpr double kDelta = 1e-7;
constexpr int N = kKktSize;
using Vector = std::vector<double>;

int count_lines(const std::string& text, const std::string& prefix) {
  int count = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    count += line.rfind(prefix, 0) == 0 ? 1 : 0;
  }
  return count;
}

class KktTest : public ::testing::Test {
 protected:
  // The improved-start matrix of a block problem with a varied coupling.
  void SetUp() override {
    std::memset(&problem_data, 0, sizeof problem_data);
    std::memset(&workspace, 0, sizeof workspace);
    set_default_settings();
    solver_settings.print_progress = 0;
    bind_views();
    for (int j = 0; j < kEffortCount; ++j) {
      problem_data.effort_weight[j] = 1.0;
    }
    for (int i = 0; i < kErrorCount; ++i) {
      problem_data.error_weight[i] = 40000.0;
    }
    for (int k = 0; k < kCouplingCount; ++k) {
      problem_data.coupling[k] = std::sin(1.0 + k) * (k % 3 == 0 ? 2.0 : 0.5);
    }
    for (int k = 0; k < kInequalityCount; ++k) {
      workspace.z_over_s[k] = 1.0;
    }
    workspace.z_block_diagonal = -1.0;
    fill_kkt();
  }

  static Vector multiply(const Vector& v) {
    Vector out(N);
    kkt_multiply(out.data(), v.data());
    return out;
  }

  static Vector unit(int index) {
    Vector v(N, 0.0);
    v[static_cast<std::size_t>(index)] = 1.0;
    return v;
  }

  static double c(int i, int j) { return problem_data.coupling[i + 4 * j]; }

  // The matrix in stacked order, built from its block definition.
  static std::vector<Vector> block_matrix() {
    std::vector<Vector> K(N, Vector(N, 0.0));
    auto set = [&K](int r, int col, double value) {
      K[static_cast<std::size_t>(r)][static_cast<std::size_t>(col)] = value;
      K[static_cast<std::size_t>(col)][static_cast<std::size_t>(r)] = value;
    };
    for (int i = 0; i < 4; ++i) {
      set(i, i, 2.0 * problem_data.error_weight[i]);
      set(84 + i, i, -1.0);
      for (int j = 0; j < 16; ++j) {
        set(84 + i, 4 + j, c(i, j));
      }
    }
    for (int j = 0; j < 16; ++j) {
      set(4 + j, 4 + j, 2.0 * problem_data.effort_weight[j]);
      set(52 + j, 4 + j, -1.0);      // G row j: -u_j
      set(52 + 16 + j, 4 + j, 1.0);  // G row 16+j: +u_j
    }
    for (int k = 0; k < 32; ++k) {
      set(20 + k, 20 + k, workspace.z_over_s[k]);
      set(52 + k, 20 + k, 1.0);
      set(52 + k, 52 + k, workspace.z_block_diagonal);
    }
    return K;
  }

  static std::string factor_printing() {
    solver_settings.print_kkt_checks = 1;
    test::begin_console_capture();
    kkt_factor();
    solver_settings.print_kkt_checks = 0;
    return test::end_console_capture();
  }
};

TEST_F(KktTest, StoredMatrixIsTheBlockMatrix) {
  const auto K = block_matrix();
  for (int col = 0; col < N; ++col) {
    const Vector column = multiply(unit(col));
    for (int r = 0; r < N; ++r) {
      EXPECT_TRUE(same_bits(K[static_cast<std::size_t>(r)][static_cast<std::size_t>(col)],
                            column[static_cast<std::size_t>(r)]))
          << "row " << r << ", column " << col;
    }
  }
  // A few stored positions by index.
  const double* v = workspace.kkt_values;
  EXPECT_EQ(v[0], 1.0);
  EXPECT_EQ(v[63], 1.0);
  EXPECT_EQ(v[64], -1.0);
  EXPECT_EQ(v[65], -1.0);
  EXPECT_EQ(v[95], -1.0);
  EXPECT_EQ(v[97], 1.0);
  EXPECT_EQ(v[127], 1.0);
  EXPECT_EQ(v[128], 80000.0);
  EXPECT_EQ(v[135], -1.0);
  EXPECT_EQ(v[136], 2.0);
  EXPECT_EQ(v[211], 2.0);
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(same_bits(problem_data.coupling[i], v[137 + i]));
    EXPECT_TRUE(same_bits(problem_data.coupling[60 + i], v[212 + i]));
  }
}

TEST_F(KktTest, FillWritesEveryValueAndOnlyFromItsSources) {
  Vector first(workspace.kkt_values, workspace.kkt_values + kKktStoredCount);
  for (double& value : workspace.kkt_values) {
    value = std::numeric_limits<double>::quiet_NaN();
  }
  problem_data.target[0] = 123.0;  // the right-hand side never enters the matrix
  fill_kkt();
  EXPECT_TRUE(same_bits(first, {workspace.kkt_values, kKktStoredCount}));

  workspace.z_over_s[5] = 7.0;
  workspace.z_block_diagonal = 0.0;
  fill_kkt();
  for (int n = 0; n < kKktStoredCount; ++n) {
    const bool s_diag = n < 64 && n % 2 == 0;
    const bool z_diag = n >= 64 && n < 128 && n % 2 == 0;
    const bool changed = (s_diag && n == 10) || z_diag;
    EXPECT_EQ(changed,
              bits_of(first[static_cast<std::size_t>(n)]) != bits_of(workspace.kkt_values[n]))
        << "index " << n;
  }
}

TEST_F(KktTest, ImprovedStartPivotsAndSelfCheck) {
  const std::string printed = factor_printing();
  const double* D = workspace.factor_D;
  for (int p = 0; p < 32; ++p) {
    EXPECT_TRUE(same_bits(1.0 + kDelta, D[p])) << p;
    EXPECT_NEAR(D[32 + p], -2.0, 1e-14) << p;
  }
  for (int p = 64; p < 68; ++p) {
    EXPECT_TRUE(same_bits(80000.0 + kDelta, D[p])) << p;
  }
  for (int p = 68; p < 84; ++p) {
    EXPECT_NEAR(D[p], 3.0 + kDelta, 1e-14) << p;
  }
  for (int p = 84; p < 88; ++p) {
    EXPECT_LT(D[p], 0.0) << p;
  }
  for (int p = 0; p < N; ++p) {
    EXPECT_TRUE(same_bits(1.0 / D[p], workspace.factor_D_inverse[p])) << p;
  }
  // No pivot replaced: each of the 84 stored diagonals contributes delta^2.
  EXPECT_EQ(printed.rfind("Squared Frobenius for factorization is 8.4", 0), 0u) << printed;
  EXPECT_NEAR(kkt_factor_check(), 84 * kDelta * kDelta, 1e-16);
}

TEST_F(KktTest, WrongSignPivotIsReplaced) {
  workspace.kkt_values[0] = -5.0;
  const std::string printed = factor_printing();
  EXPECT_TRUE(same_bits(kDelta, workspace.factor_D[0]));
  EXPECT_TRUE(same_bits(1.0 / kDelta, workspace.factor_D_inverse[0]));
  EXPECT_TRUE(same_bits(1.0 / kDelta, workspace.factor_L[0]));
  EXPECT_EQ(printed.rfind("Squared Frobenius for factorization is 25.000001", 0), 0u) << printed;
}

TEST_F(KktTest, PivotRuleAtZeroAndWrongSigns) {
  workspace.kkt_values[2] = 0.0;    // s_1 raw pivot exactly 0
  workspace.kkt_values[4] = -0.0;   // s_2 raw pivot -0
  workspace.kkt_values[128] = 0.0;  // e_0
  workspace.kkt_values[64] = 10.0;  // z_0 raw pivot positive
  kkt_factor();
  EXPECT_TRUE(same_bits(kDelta, workspace.factor_D[1]));
  EXPECT_TRUE(same_bits(kDelta, workspace.factor_D[2]));
  EXPECT_TRUE(same_bits(kDelta, workspace.factor_D[64]));
  EXPECT_TRUE(same_bits(-kDelta, workspace.factor_D[32]));
}

TEST_F(KktTest, PivotSignsAreFixedByBlockWhateverTheValues) {
  unsigned state = 12345u;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return static_cast<double>(state >> 8) / 8388608.0 * 200.0 - 100.0;
  };
  for (int trial = 0; trial < 20; ++trial) {
    for (double& value : workspace.kkt_values) {
      value = next();
    }
    kkt_factor();
    int positive = 0;
    int negative = 0;
    for (int p = 0; p < N; ++p) {
      const bool should_be_positive = p < 32 || (p >= 64 && p < 84);
      EXPECT_EQ(workspace.factor_D[p] > 0.0, should_be_positive) << "position " << p;
      positive += workspace.factor_D[p] > 0.0 ? 1 : 0;
      negative += workspace.factor_D[p] < 0.0 ? 1 : 0;
    }
    EXPECT_EQ(positive, 52);
    EXPECT_EQ(negative, 36);
  }
}

TEST_F(KktTest, FactorsDependOnlyOnTheStoredMatrix) {
  kkt_factor();
  const Vector L(workspace.factor_L, workspace.factor_L + kFactorLCount);
  const Vector D(workspace.factor_D, workspace.factor_D + N);
  for (double& value : workspace.factor_L) value = 1e300;
  for (double& value : workspace.factor_D) value = -3.0;
  for (double& value : workspace.kkt_work) value = std::nan("");
  kkt_factor();
  EXPECT_TRUE(same_bits(L, {workspace.factor_L, kFactorLCount}));
  EXPECT_TRUE(same_bits(D, {workspace.factor_D, static_cast<std::size_t>(N)}));
}

TEST_F(KktTest, SolveInvertsTheRegularisedMatrix) {
  kkt_factor();
  Vector x(N);
  for (int i = 0; i < N; ++i) {
    x[static_cast<std::size_t>(i)] = std::cos(0.3 * i);
  }
  const Vector target = multiply(x);
  const Vector kept = target;
  Vector result(N, std::nan(""));
  kkt_solve(target.data(), result.data());
  EXPECT_TRUE(same_bits(kept, target)) << "the target is only read";
  for (int i = 0; i < N; ++i) {
    EXPECT_NEAR(result[static_cast<std::size_t>(i)], x[static_cast<std::size_t>(i)], 1e-4)
        << "entry " << i;
  }

  // A zero target gives a zero result.
  const Vector zero(N, 0.0);
  kkt_solve(zero.data(), result.data());
  for (double value : result) {
    EXPECT_EQ(value, 0.0);
  }
}

// The refinement's solve: the correction is kkt_solve's to the bit, var
// loses exactly it, the target is only read, and the self-check line comes
// as it does from kkt_solve.
TEST_F(KktTest, SolveAndUpdateIsTheSolveThenTheSubtraction) {
  kkt_factor();
  Vector target(N);
  Vector var(N);
  for (int i = 0; i < N; ++i) {
    target[static_cast<std::size_t>(i)] = std::ldexp(std::sin(0.7 * i), i % 9 - 4);
    var[static_cast<std::size_t>(i)] = std::cos(1.3 * i);
  }
  var[5] = -0.0;
  var[60] = std::nan("");
  const Vector kept = target;
  Vector solved(N);
  kkt_solve(target.data(), solved.data());

  Vector correction(N, std::nan(""));
  Vector updated = var;
  solver_settings.print_kkt_checks = 1;
  test::begin_console_capture();
  kkt_solve_and_update(target.data(), correction.data(), updated.data());
  const std::string printed = test::end_console_capture();
  EXPECT_TRUE(same_bits(kept, target));
  EXPECT_TRUE(same_bits(solved, correction));
  for (int i = 0; i < N; ++i) {
    const auto k = static_cast<std::size_t>(i);
    EXPECT_TRUE(same_bits(var[k] - solved[k], updated[k])) << "entry " << i;
  }
  EXPECT_EQ(count_lines(printed, "Squared norm for solution is "), 1);
  EXPECT_EQ(count_lines(printed, ""), 1);
}

TEST_F(KktTest, GatherAndScatterAreInverse) {
  for (double& value : workspace.factor_L) value = 0.0;
  for (double& value : workspace.factor_D_inverse) value = 1.0;
  Vector target(N);
  for (int i = 0; i < N; ++i) {
    target[static_cast<std::size_t>(i)] = 1.0 + i;
  }
  Vector result(N, std::nan(""));
  kkt_solve(target.data(), result.data());
  EXPECT_TRUE(same_bits(target, result));
}

TEST_F(KktTest, ProductWithUnitVectors) {
  const Vector y0 = multiply(unit(84));
  for (int r = 0; r < N; ++r) {
    double want = 0.0;
    if (r == 0) want = -1.0;
    if (r >= 4 && r < 20) want = c(0, r - 4);
    EXPECT_TRUE(same_bits(want, y0[static_cast<std::size_t>(r)])) << "row " << r;
  }
  for (int k : {0, 15, 16, 31}) {
    const Vector zk = multiply(unit(52 + k));
    for (int r = 0; r < N; ++r) {
      double want = 0.0;
      if (r == 20 + k) want = 1.0;
      if (r == 52 + k) want = workspace.z_block_diagonal;
      if (r == 4 + k % 16) want = k < 16 ? -1.0 : 1.0;
      EXPECT_TRUE(same_bits(want, zk[static_cast<std::size_t>(r)])) << "z_" << k << " row " << r;
    }
  }
}

TEST_F(KktTest, RefinementPassesAndTheirLines) {
  kkt_factor();
  const Vector target = multiply(unit(3));
  Vector solved(N);
  kkt_solve(target.data(), solved.data());

  solver_settings.print_refinement = 1;
  for (int passes : {0, -2}) {
    solver_settings.refinement_passes = passes;
    Vector var = solved;
    test::begin_console_capture();
    kkt_refine(target.data(), var.data());
    const std::string printed = test::end_console_capture();
    EXPECT_TRUE(same_bits(solved, var)) << passes << " passes change nothing";
    EXPECT_EQ(count_lines(printed, "Initial residual before refinement has norm squared "), 1);
    EXPECT_EQ(count_lines(printed, ""), 1);
  }

  solver_settings.refinement_passes = 3;
  solver_settings.print_kkt_checks = 1;
  Vector var = solved;
  test::begin_console_capture();
  kkt_refine(target.data(), var.data());
  const std::string printed = test::end_console_capture();
  EXPECT_EQ(count_lines(printed, "Initial residual before refinement has norm squared "), 1);
  EXPECT_EQ(count_lines(printed, "After refinement we get squared norm "), 3);
  EXPECT_EQ(count_lines(printed, "Squared norm for solution is "), 3) << "one per pass";
  // Each pass prints its refinement line before its solve's self-check.
  EXPECT_LT(printed.find("Initial residual"), printed.find("Squared norm for solution"));
  EXPECT_EQ(count_lines(printed, ""), 7);
}

TEST_F(KktTest, ExactSolutionIsLeftAlone) {
  // With K diagonal in the s block and zero elsewhere in the chosen rows, an
  // exact solution has zero residual and zero correction.
  kkt_factor();
  const Vector var(N, 0.0);
  const Vector target(N, 0.0);
  Vector refined = var;
  kkt_refine(target.data(), refined.data());
  EXPECT_TRUE(same_bits(var, refined));
}

TEST_F(KktTest, SilentUnlessAsked) {
  test::begin_console_capture();
  kkt_factor();
  const Vector target(N, 1.0);
  Vector result(N);
  kkt_solve(target.data(), result.data());
  kkt_refine(target.data(), result.data());
  EXPECT_EQ(test::end_console_capture(), "");

  solver_settings.print_kkt_checks = 1;
  test::begin_console_capture();
  kkt_solve(target.data(), result.data());
  EXPECT_EQ(count_lines(test::end_console_capture(), "Squared norm for solution is "), 1);
}

}  // namespace
}  // namespace sfqp::test
