// The solver's four records and the sizes of the one problem shape it solves.
//
// The QP has 20 unknowns x = (e, u): e the 4 error terms, u the 16 actuator
// commands. minimise sum error_weight[i]*e[i]^2 + sum effort_weight[j]*u[j]^2
// subject to coupling*u - e = target (4 rows) and 0 <= u[j] <= 1 (32 rows).
// Every KKT vector is stacked as x (0..19), s (20..51), z (52..83), y (84..87).
//
// The records have static storage duration, one instance each per loaded module,
// shared by every solve; nothing is allocated at run time.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sfqp {

inline constexpr int kErrorCount = 4;                                 // e: one per equality row
inline constexpr int kEffortCount = 16;                               // u: one per actuator
inline constexpr int kUnknownCount = kErrorCount + kEffortCount;      // n = 20
inline constexpr int kEqualityCount = 4;                              // p
inline constexpr int kInequalityCount = 2 * kEffortCount;             // m = 32
inline constexpr int kCouplingCount = kEqualityCount * kEffortCount;  // 64
inline constexpr int kKktSize = kUnknownCount + 2 * kInequalityCount + kEqualityCount;  // 88
inline constexpr int kKktStoredCount = 216;  // stored lower-triangle values of the KKT matrix
inline constexpr int kFactorLCount = 138;    // entries of L below the diagonal

// Offsets of the blocks of a stacked 88-vector.
inline constexpr int kStackX = 0;
inline constexpr int kStackU = kErrorCount;
inline constexpr int kStackS = kUnknownCount;
inline constexpr int kStackZ = kStackS + kInequalityCount;
inline constexpr int kStackY = kStackZ + kInequalityCount;

// Every array of the records starts on a 32-byte boundary. The kernels move
// four doubles at a time from entries 4k of their arrays, so no such access
// then straddles two cache lines; packed, the three view pointers of the
// workspace put every array after them 8 or 24 bytes off, and half of those
// accesses across a line boundary (6 to 9% of a solve's time).
inline constexpr std::size_t kArrayAlignment = 32;

// Parameters the caller writes before each solve; the solver never writes them.
struct ProblemData {
  alignas(kArrayAlignment) double effort_weight[kEffortCount];
  // 4x16, column-major: (i, j) at i + 4*j.
  alignas(kArrayAlignment) double coupling[kCouplingCount];
  alignas(kArrayAlignment) double target[kEqualityCount];
  alignas(kArrayAlignment) double error_weight[kErrorCount];
};

struct SolverSettings {
  double residual_tolerance;
  double gap_tolerance;
  std::int32_t iteration_limit;
  std::int32_t refinement_passes;
  std::int32_t improved_start;
  double initial_slack;
  double initial_dual;
  std::int32_t print_progress;
  std::int32_t print_refinement;
  std::int32_t print_kkt_checks;
  double kkt_regularization;
};

// In the order of the solver's steps, each array on its own 32-byte boundary for
// the kernels: the padding is the price of that alignment, not an oversight.
struct SolverWorkspace {  // NOLINT(clang-analyzer-optin.performance.Padding)
  alignas(kArrayAlignment) double h[kInequalityCount];
  alignas(kArrayAlignment) double inverse_slack[kInequalityCount];
  alignas(kArrayAlignment) double z_over_s[kInequalityCount];
  alignas(kArrayAlignment) double b[kEqualityCount];
  alignas(kArrayAlignment) double q[kUnknownCount];
  alignas(kArrayAlignment) double kkt_rhs[kKktSize];
  alignas(kArrayAlignment) double x[kUnknownCount];
  // y (4), s (32), z (32), in this order, directly after x.
  alignas(kArrayAlignment) double iterate[kEqualityCount + 2 * kInequalityCount];
  double* s;  // views into iterate, bound by bind_views
  double* z;
  double* y;
  alignas(kArrayAlignment) double direction[kKktSize];
  alignas(kArrayAlignment) double corrector_direction[kKktSize];
  // KKT arrays, indexed by elimination position.
  alignas(kArrayAlignment) double kkt_values[kKktStoredCount];
  alignas(kArrayAlignment) double factor_L[kFactorLCount];
  alignas(kArrayAlignment) double factor_D[kKktSize];
  alignas(kArrayAlignment) double factor_D_inverse[kKktSize];
  alignas(kArrayAlignment) double kkt_work[kKktSize];
  alignas(kArrayAlignment) double kkt_residual[kKktSize];
  alignas(kArrayAlignment) double kkt_correction[kKktSize];
  double gap;
  double objv;
  double ineq_residual_sq;
  double eq_residual_sq;
  double z_block_diagonal;
  std::int32_t converged;
};

// The alignment never pads between x and the iterate storage.
static_assert(offsetof(SolverWorkspace, iterate) ==
              offsetof(SolverWorkspace, x) + sizeof(double) * kUnknownCount);

// The answer: u is a view of x[4..19] of the workspace, not a copy.
struct Solution {
  double* u;
};

extern ProblemData problem_data;
extern SolverSettings solver_settings;
extern SolverWorkspace workspace;
extern Solution solution;

// Writes every setting with its default (progress table on, diagnostics off).
void set_default_settings();

// Points solution.u at x[4] and the s, z, y views at the iterate storage.
void bind_views();

}  // namespace sfqp
