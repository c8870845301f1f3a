#include "solver/interior_point.h"

#include <cmath>

#include "kkt/fill_kkt.h"
#include "kkt/filled_kkt.h"
#include "kkt/kkt_factor.h"
#include "kkt/kkt_refine.h"
#include "kkt/kkt_solve.h"
#include "kkt/lanes.h"
#include "solver/console_sink.h"
#include "solver/operator_lanes.h"
#include "solver/operators.h"
#include "solver/records.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

using kkt::add_in_order;
using kkt::any;
using kkt::greater;
using kkt::Lanes;
using kkt::load;
using kkt::select;
using kkt::splat;
using kkt::store;

namespace {

constexpr double kStepFactor = 0.99;                 // fraction of the way to the boundary
constexpr double kInverseInequalityCount = 0.03125;  // 1/32: mu is the gap over m

const double* ds() {
  return &workspace.direction[kStackS];
}
const double* dz() {
  return &workspace.direction[kStackZ];
}

// The step rule over one block of 32 entries: wherever v[i]*m > dv[i], m
// becomes dv[i]/v[i], entry after entry. Eight entries are tested at once with
// the m they start from; a group of eight in which none changes m is exactly
// what the entry-by-entry rule would have done, and a group in which one does
// is run entry by entry.
constexpr int kStepGroup = 8;

void lower_step_bound(const double* v, const double* dv, double& m) {
#pragma GCC unroll 4
  for (int i = 0; i < kInequalityCount; i += kStepGroup) {
    const Lanes start = splat(m);
    if (any(greater(load(&v[i]) * start, load(&dv[i])) |
            greater(load(&v[i + 4]) * start, load(&dv[i + 4])))) {
      for (int k = i; k < i + kStepGroup; ++k) {
        if (v[k] * m > dv[k]) {
          m = dv[k] / v[k];
        }
      }
    }
  }
}

// Largest step, at most 1, that lets no s or z entry lose more than the
// fraction f of its value along direction. The comparison is in multiplied
// form, so a division happens only when the running minimum changes.
double step_to_boundary(double f) {
  double m = 0.0;
  lower_step_bound(workspace.s, ds(), m);
  lower_step_bound(workspace.z, dz(), m);
  return m > -f ? 1.0 : -f / m;
}

// v[i] := alpha*d[i] + v[i] for count entries (a multiple of 4).
void step_along(double* v, const double* d, int count, double alpha) {
  for (int i = 0; i < count; i += 4) {
    store(&v[i], splat(alpha) * load(&d[i]) + load(&v[i]));
  }
}

// The update v := alpha*d + v of x, y, s and z, then the measures of the new
// iterate: the s and z entries are updated, multiplied into the gap and set
// against h and Gx in one pass, each sum in index order.
void step_and_measure(double alpha) {
  const double* const d = workspace.direction;
  double* const x = workspace.x;
  double* const s = workspace.s;
  double* const z = workspace.z;
  step_along(x, &d[kStackX], kUnknownCount, alpha);
  step_along(workspace.y, &d[kStackY], kEqualityCount, alpha);
  workspace.eq_residual_sq = eq_residual_into(workspace.kkt_residual, x);
  const Lanes a = splat(alpha);
  double gap = 0.0;
  double ineq = 0.0;
  for (int i = 0; i < kInequalityCount; i += 4) {
    const Lanes s_new = a * load(&d[kStackS + i]) + load(&s[i]);
    const Lanes z_new = a * load(&d[kStackZ + i]) + load(&z[i]);
    store(&s[i], s_new);
    store(&z[i], z_new);
    gap = add_in_order(gap, s_new * z_new);
    const Lanes residual = ineq_residual_at(s_new, x, i);
    ineq = add_in_order(ineq, residual * residual);
  }
  workspace.gap = gap;
  workspace.ineq_residual_sq = ineq;
}

// The iteration's kernels read the matrix from where fill_kkt takes it
// (kkt/filled_kkt.h), so kkt_values is written only where it is read: before
// every factor while the self-checks print, and once on the way out, so that
// it holds the last matrix factored, as the stored kernels expect.
void fill_kkt_for_the_checks() {
  if (solver_settings.print_kkt_checks != 0) {
    fill_kkt();
  }
}

// The largest of the 32 entries entry(0), entry(4), ... give, and -1e99 when
// none is larger; NaN entries are passed over. Two sets of lanes keep running
// maxima side by side, merged at the end: a maximum is the same in any order
// but for which of two equal entries it keeps, which only a zero's sign could
// tell, and the start adds 1.0 to it or compares it with 0.0.
template <typename Entry>
double largest_entry(Entry entry) {
  Lanes best[2] = {splat(-1e99), splat(-1e99)};
  for (int i = 0; i < kInequalityCount; i += 4) {
    const Lanes v = entry(i);
    Lanes& b = best[(i / 4) % 2];
    b = select(greater(v, b), v, b);
  }
  const Lanes merged = select(greater(best[1], best[0]), best[1], best[0]);
  double m = merged[0];
  for (int lane = 1; lane < 4; ++lane) {
    if (merged[lane] > m) {
      m = merged[lane];
    }
  }
  return m;
}

void print_progress_row(int iteration, double alpha) {
  console_print("%3d   %10.3e  %9.2e  %9.2e  %9.2e  % 6.4f\n", iteration, workspace.objv,
                workspace.gap, std::sqrt(workspace.eq_residual_sq),
                std::sqrt(workspace.ineq_residual_sq), alpha);
}

}  // namespace

void plain_start() {
  for (double& entry : workspace.x) {
    entry = 0.0;
  }
  for (int i = 0; i < kEqualityCount; ++i) {
    workspace.y[i] = 0.0;
  }
  for (int i = 0; i < kInequalityCount; ++i) {
    // A NaN h also takes initial_slack.
    workspace.s[i] = workspace.h[i] > 0.0 ? workspace.h[i] : solver_settings.initial_slack;
  }
  for (int i = 0; i < kInequalityCount; ++i) {
    workspace.z[i] = solver_settings.initial_dual;
  }
}

void improved_start_rhs() {
  double* const rhs = workspace.kkt_rhs;
  for (int i = 0; i < kUnknownCount; ++i) {
    rhs[kStackX + i] = -workspace.q[i];
  }
  for (int i = 0; i < kInequalityCount; ++i) {
    rhs[kStackS + i] = 0.0;
    rhs[kStackZ + i] = workspace.h[i];
  }
  for (int i = 0; i < kEqualityCount; ++i) {
    rhs[kStackY + i] = workspace.b[i];
  }
}

// One KKT solve with unit scaling and -1 on the z diagonal gives x, y and
// w = (Gx - h)/2; s = -w and z = w, each shifted where needed so that its
// smallest entry becomes 1.
void improved_start_point() {
  workspace.z_block_diagonal = -1.0;
  for (double& entry : workspace.z_over_s) {
    entry = 1.0;
  }
  fill_kkt_for_the_checks();
  kkt_factor_start();
  improved_start_rhs();
  kkt_solve_filled(workspace.kkt_rhs, workspace.direction);

  for (int i = 0; i < kUnknownCount; ++i) {
    workspace.x[i] = workspace.direction[kStackX + i];
  }
  for (int i = 0; i < kEqualityCount; ++i) {
    workspace.y[i] = workspace.direction[kStackY + i];
  }
  const double* const w = &workspace.direction[kStackZ];

  const double max_primal = largest_entry([w](int i) { return load(&w[i]); });
  for (int i = 0; i < kInequalityCount; ++i) {
    workspace.s[i] = max_primal < 0.0 ? -w[i] : (max_primal + 1.0) - w[i];
  }
  const double max_dual = largest_entry([w](int i) { return -load(&w[i]); });
  for (int i = 0; i < kInequalityCount; ++i) {
    workspace.z[i] = max_dual < 0.0 ? w[i] : (max_dual + 1.0) + w[i];
  }
}

// Predictor: -(Px + q + A'y + G'z), -z, -(Gx + s - h), -(Ax - b). Each
// block in one pass, from the operators' four-entry pieces: x entries
// (t_G + t_A) - (t_P + q), where t_A = -A'y, t_G = -G'z and t_P = Px.
void affine_rhs() {
  double* const rhs = workspace.kkt_rhs;
  const double* const x = workspace.x;
  const double* const z = workspace.z;
  const Lanes y = load(workspace.y);
  // e entries: -A'y copies y, -G'z is 0.0 there.
  store(&rhs[kStackX], (splat(0.0) + y) - (P_at(x, kStackX) + load(workspace.q)));
  for (int j = 0; j < kEffortCount; j += 4) {
    store(&rhs[kStackU + j], (neg_Gt_u(z, j) + neg_At_u(y, j)) -
                                 (P_at(x, kStackU + j) + load(&workspace.q[kStackU + j])));
  }
  const double* const s = workspace.s;
  for (int i = 0; i < kInequalityCount; i += 4) {
    store(&rhs[kStackS + i], -load(&z[i]));
  }
  for (int i = 0; i < kInequalityCount; i += 4) {
    store(&rhs[kStackZ + i], ineq_residual_at(load(&s[i]), x, i));
  }
  store(&rhs[kStackY], neg_A_at(x) + load(workspace.b));
}

// Centering corrector from the affine direction in workspace.direction: sigma
// is the cube of the ratio of the gaps after and before the affine step, mu the
// gap over the 32 inequalities. gap is the duality gap of the current iterate.
static void corrector_rhs(double gap) {
  const double alpha_affine = step_to_boundary(1.0);
  const Lanes alpha = splat(alpha_affine);
  double gap_affine = 0.0;
  for (int i = 0; i < kInequalityCount; i += 4) {
    gap_affine = add_in_order(gap_affine, (alpha * load(&ds()[i]) + load(&workspace.s[i])) *
                                              (alpha * load(&dz()[i]) + load(&workspace.z[i])));
  }
  const double ratio = gap_affine / gap;
  const Lanes sigma_mu = splat(((ratio * ratio) * ratio) * (gap * kInverseInequalityCount));

  double* const rhs = workspace.kkt_rhs;
  for (int i = 0; i < kUnknownCount; i += 4) {
    store(&rhs[kStackX + i], splat(0.0));
  }
  for (int i = kStackZ; i < kKktSize; i += 4) {
    store(&rhs[i], splat(0.0));
  }
  for (int i = 0; i < kInequalityCount; i += 4) {
    store(&rhs[kStackS + i],
          (sigma_mu - load(&dz()[i]) * load(&ds()[i])) * load(&workspace.inverse_slack[i]));
  }
}

// The iterations, at most limit of them; returns how many ran.
static std::int32_t iterate(std::int32_t limit) {
  for (std::int32_t k = 0; k < limit; ++k) {
    for (int i = 0; i < kInequalityCount; i += 4) {
      const Lanes inverse = 1.0 / load(&workspace.s[i]);
      store(&workspace.inverse_slack[i], inverse);
      store(&workspace.z_over_s[i], inverse * load(&workspace.z[i]));
    }
    workspace.z_block_diagonal = 0.0;
    fill_kkt_for_the_checks();
    kkt_factor_filled();

    affine_rhs();
    kkt_solve_filled(workspace.kkt_rhs, workspace.direction);
    kkt_refine_filled(workspace.kkt_rhs, workspace.direction);

    // The gap of the iterate: computed after the previous step, or here.
    corrector_rhs(k == 0 ? duality_gap() : workspace.gap);
    kkt_solve_filled(workspace.kkt_rhs, workspace.corrector_direction);
    kkt_refine_filled(workspace.kkt_rhs, workspace.corrector_direction);

    for (int i = 0; i < kKktSize; i += 4) {
      store(&workspace.direction[i],
            load(&workspace.corrector_direction[i]) + load(&workspace.direction[i]));
    }
    const double alpha = step_to_boundary(kStepFactor);

    step_and_measure(alpha);
    if (solver_settings.print_progress != 0) {
      workspace.objv = objective_value();
      print_progress_row(k + 1, alpha);
    }
    const double t = solver_settings.residual_tolerance * solver_settings.residual_tolerance;
    if (workspace.gap < solver_settings.gap_tolerance && workspace.eq_residual_sq <= t &&
        workspace.ineq_residual_sq <= t) {
      workspace.converged = 1;
      workspace.objv = objective_value();
      return k + 1;
    }
  }
  return limit;
}

// Flattened where the lanes live in vector registers (kkt/lanes.h): the
// iteration's own steps (this file's) run inline. On the 32-bit Arm processors
// each step keeps a frame of its own, so that under the factorisation only
// the iteration's is live: flattened, all of them were, 1.7 KB of a step's
// stack there.
#if defined(__arm__)
#define SFQP_ITERATION_INLINE
#else
#define SFQP_ITERATION_INLINE [[gnu::flatten]]
#endif
SFQP_ITERATION_INLINE std::int32_t interior_point_solve() {
  workspace.converged = 0;
  bind_views();
  if (solver_settings.print_progress != 0) {
    console_print("iter     objv        gap       |Ax-b|    |Gx+s-h|    step\n");
  }
  fill_q();
  fill_h();
  fill_b();
  if (solver_settings.improved_start != 0) {
    improved_start_point();
  } else {
    plain_start();
  }
  const std::int32_t limit = solver_settings.iteration_limit;
  const std::int32_t iterations = limit > 0 ? iterate(limit) : 0;
  if (solver_settings.improved_start != 0 || limit > 0) {
    fill_kkt();  // the last matrix factored, from the scaling it was factored with
  }
  return iterations;
}

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
