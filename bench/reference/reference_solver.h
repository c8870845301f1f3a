// The solver's arithmetic written plainly, over any number type: the scalar
// code as it stood before the kernels were laid out for SIMD lanes, one
// operation per statement in the order every sum accumulates. Run on double it
// must reproduce solve_qp and each KKT kernel to the bit; run on a counting
// type (counted_double.h) it counts the floating-point operations that the
// benchmarks set beside their instruction counts. Printing is not modelled:
// the benchmarks solve with the block's settings.
//
// The state is the member arrays below, named and indexed as in the solver's
// workspace (KKT arrays by elimination position, vectors stacked).
#pragma once

#include <cstdint>

#include "kkt/kkt_pattern.h"
#include "solver/records.h"

namespace sfqp::bench {

template <class Real>
struct ReferenceSolver {
  // Problem data and the settings the solve reads.
  Real effort_weight[kEffortCount];
  Real coupling[kCouplingCount];
  Real target[kEqualityCount];
  Real error_weight[kErrorCount];
  Real residual_tolerance = 1e-6;
  Real gap_tolerance = 1e-4;
  std::int32_t iteration_limit = 25;
  std::int32_t refinement_passes = 1;
  Real kkt_regularization = 1e-7;

  // Workspace.
  Real h[kInequalityCount];
  Real inverse_slack[kInequalityCount];
  Real z_over_s[kInequalityCount];
  Real b[kEqualityCount];
  Real q[kUnknownCount];
  Real kkt_rhs[kKktSize];
  Real x[kUnknownCount];
  Real s[kInequalityCount];
  Real z[kInequalityCount];
  Real y[kEqualityCount];
  Real direction[kKktSize];
  Real corrector_direction[kKktSize];
  Real kkt_values[kKktStoredCount];
  Real factor_L[kFactorLCount];
  Real factor_D[kKktSize];
  Real factor_D_inverse[kKktSize];
  Real kkt_work[kKktSize];
  Real kkt_residual[kKktSize];
  Real kkt_correction[kKktSize];
  Real gap = 0.0;
  Real objv = 0.0;
  Real ineq_residual_sq = 0.0;
  Real eq_residual_sq = 0.0;
  Real z_block_diagonal = 0.0;
  std::int32_t converged = 0;

  Real c(int i, int j) const { return coupling[i + 4 * j]; }

  // ---- KKT kernels -------------------------------------------------------

  void fill_kkt() {
    using namespace kkt;
    Real* const K = kkt_values;
    for (int k = 0; k < kInequalityCount; ++k) {
      K[kv_s_diag(k)] = z_over_s[k];
      K[kv_z_s(k)] = 1.0;
    }
    for (int k = 0; k < kInequalityCount; ++k) {
      K[kv_z_diag(k)] = z_block_diagonal;
      K[kv_u_z(k)] = k < kEffortCount ? -1.0 : 1.0;
    }
    for (int i = 0; i < kErrorCount; ++i) {
      K[kv_e_diag(i)] = error_weight[i] * 2.0;
      K[kv_y_e(i)] = -1.0;
    }
    for (int j = 0; j < kEffortCount; ++j) {
      K[kv_u_diag(j)] = effort_weight[j] * 2.0;
      for (int i = 0; i < kEqualityCount; ++i) {
        K[kv_y_u(i, j)] = coupling[i + 4 * j];
      }
    }
  }

  Real positive_pivot(Real raw, Real delta) { return raw < 0.0 ? delta : raw + delta; }
  Real negative_pivot(Real raw, Real delta) { return raw > 0.0 ? -delta : raw - delta; }
  void store_pivot(int p, Real d) {
    factor_D[p] = d;
    factor_D_inverse[p] = 1.0 / d;
  }

  void kkt_factor() {
    using namespace kkt;
    const Real* const K = kkt_values;
    Real* const L = factor_L;
    const Real* const D = factor_D;
    const Real* const Dinv = factor_D_inverse;
    Real* const w = kkt_work;
    const Real delta = kkt_regularization;
    for (int k = 0; k < kInequalityCount; ++k) {
      store_pivot(kPosS + k, positive_pivot(K[kv_s_diag(k)], delta));
      L[fl_z_s(k)] = K[kv_z_s(k)] * Dinv[kPosS + k];
    }
    for (int k = 0; k < kInequalityCount; ++k) {
      w[kPosS + k] = L[fl_z_s(k)] * D[kPosS + k];
      const Real raw = K[kv_z_diag(k)] - L[fl_z_s(k)] * w[kPosS + k];
      store_pivot(kPosZ + k, negative_pivot(raw, delta));
      const int below = k < kEffortCount ? fl_u_zlow(k) : fl_u_zhigh(k - kEffortCount);
      L[below] = K[kv_u_z(k)] * Dinv[kPosZ + k];
    }
    for (int i = 0; i < kErrorCount; ++i) {
      store_pivot(kPosE + i, positive_pivot(K[kv_e_diag(i)], delta));
      L[fl_y_e(i)] = K[kv_y_e(i)] * Dinv[kPosE + i];
    }
    for (int j = 0; j < kEffortCount; ++j) {
      const int low = kPosZ + j;
      const int high = kPosZ + kEffortCount + j;
      w[low] = L[fl_u_zlow(j)] * D[low];
      w[high] = L[fl_u_zhigh(j)] * D[high];
      const Real raw = (K[kv_u_diag(j)] - L[fl_u_zlow(j)] * w[low]) - L[fl_u_zhigh(j)] * w[high];
      store_pivot(kPosU + j, positive_pivot(raw, delta));
      for (int i = 0; i < kEqualityCount; ++i) {
        L[fl_y_u(i, j)] = K[kv_y_u(i, j)] * Dinv[kPosU + j];
      }
    }
    for (int i = 0; i < kEqualityCount; ++i) {
      w[kPosE + i] = L[fl_y_e(i)] * D[kPosE + i];
      for (int j = 0; j < kEffortCount; ++j) {
        w[kPosU + j] = L[fl_y_u(i, j)] * D[kPosU + j];
      }
      for (int c0 = 0; c0 < i; ++c0) {
        w[kPosY + c0] = L[fl_y_y(i, c0)] * D[kPosY + c0];
      }
      Real raw = Real(0.0) - L[fl_y_e(i)] * w[kPosE + i];
      for (int j = 0; j < kEffortCount; ++j) {
        raw = raw - L[fl_y_u(i, j)] * w[kPosU + j];
      }
      for (int c0 = 0; c0 < i; ++c0) {
        raw = raw - L[fl_y_y(i, c0)] * w[kPosY + c0];
      }
      store_pivot(kPosY + i, negative_pivot(raw, delta));
      for (int r = i + 1; r < kEqualityCount; ++r) {
        Real t = -(L[fl_y_u(r, 0)] * w[kPosU]);
        for (int j = 1; j < kEffortCount; ++j) {
          t = t - L[fl_y_u(r, j)] * w[kPosU + j];
        }
        for (int c0 = 0; c0 < i; ++c0) {
          t = t - L[fl_y_y(r, c0)] * w[kPosY + c0];
        }
        L[fl_y_y(r, i)] = t * Dinv[kPosY + i];
      }
    }
  }

  void kkt_solve(const Real* target_vector, Real* result) {
    using namespace kkt;
    const Real* const L = factor_L;
    Real* const w = kkt_work;
    const Real* const t0 = target_vector;
    for (int k = 0; k < kInequalityCount; ++k) {
      w[kPosS + k] = t0[kStackS + k];
    }
    for (int k = 0; k < kInequalityCount; ++k) {
      w[kPosZ + k] = t0[kStackZ + k] - L[fl_z_s(k)] * w[kPosS + k];
    }
    for (int i = 0; i < kErrorCount; ++i) {
      w[kPosE + i] = t0[kStackX + i];
    }
    for (int j = 0; j < kEffortCount; ++j) {
      w[kPosU + j] = (t0[kStackU + j] - L[fl_u_zlow(j)] * w[kPosZ + j]) -
                     L[fl_u_zhigh(j)] * w[kPosZ + kEffortCount + j];
    }
    for (int i = 0; i < kEqualityCount; ++i) {
      Real t = t0[kStackY + i] - L[fl_y_e(i)] * w[kPosE + i];
      for (int j = 0; j < kEffortCount; ++j) {
        t = t - L[fl_y_u(i, j)] * w[kPosU + j];
      }
      for (int c0 = 0; c0 < i; ++c0) {
        t = t - L[fl_y_y(i, c0)] * w[kPosY + c0];
      }
      w[kPosY + i] = t;
    }
    for (int p = 0; p < kKktSize; ++p) {
      w[p] = factor_D_inverse[p] * w[p];
    }
    for (int c0 = kEqualityCount - 2; c0 >= 0; --c0) {
      Real sum = L[fl_y_y(c0 + 1, c0)] * w[kPosY + c0 + 1];
      for (int r = c0 + 2; r < kEqualityCount; ++r) {
        sum = sum + L[fl_y_y(r, c0)] * w[kPosY + r];
      }
      w[kPosY + c0] = w[kPosY + c0] - sum;
    }
    for (int j = kEffortCount - 1; j >= 0; --j) {
      Real sum = L[fl_y_u(0, j)] * w[kPosY];
      for (int i = 1; i < kEqualityCount; ++i) {
        sum = sum + L[fl_y_u(i, j)] * w[kPosY + i];
      }
      w[kPosU + j] = w[kPosU + j] - sum;
    }
    for (int i = kErrorCount - 1; i >= 0; --i) {
      w[kPosE + i] = w[kPosE + i] - L[fl_y_e(i)] * w[kPosY + i];
    }
    for (int j = kEffortCount - 1; j >= 0; --j) {
      w[kPosZ + kEffortCount + j] = w[kPosZ + kEffortCount + j] - L[fl_u_zhigh(j)] * w[kPosU + j];
    }
    for (int j = kEffortCount - 1; j >= 0; --j) {
      w[kPosZ + j] = w[kPosZ + j] - L[fl_u_zlow(j)] * w[kPosU + j];
    }
    for (int k = kInequalityCount - 1; k >= 0; --k) {
      w[kPosS + k] = w[kPosS + k] - L[fl_z_s(k)] * w[kPosZ + k];
    }
    for (int p = 0; p < kKktSize; ++p) {
      result[elimination_order(p)] = w[p];
    }
  }

  void kkt_multiply(Real* result, const Real* v) {
    using namespace kkt;
    const Real* const K = kkt_values;
    for (int i = 0; i < kErrorCount; ++i) {
      result[kStackX + i] = K[kv_e_diag(i)] * v[kStackX + i] + K[kv_y_e(i)] * v[kStackY + i];
    }
    for (int j = 0; j < kEffortCount; ++j) {
      Real sum = K[kv_u_diag(j)] * v[kStackU + j] + K[kv_u_z(j)] * v[kStackZ + j];
      sum = sum + K[kv_u_z(kEffortCount + j)] * v[kStackZ + kEffortCount + j];
      for (int i = 0; i < kEqualityCount; ++i) {
        sum = sum + K[kv_y_u(i, j)] * v[kStackY + i];
      }
      result[kStackU + j] = sum;
    }
    for (int k = 0; k < kInequalityCount; ++k) {
      result[kStackS + k] = K[kv_s_diag(k)] * v[kStackS + k] + K[kv_z_s(k)] * v[kStackZ + k];
    }
    for (int k = 0; k < kInequalityCount; ++k) {
      const Real sum = K[kv_z_diag(k)] * v[kStackZ + k] + K[kv_z_s(k)] * v[kStackS + k];
      result[kStackZ + k] = sum + K[kv_u_z(k)] * v[kStackU + k % kEffortCount];
    }
    for (int i = 0; i < kEqualityCount; ++i) {
      Real sum = K[kv_y_e(i)] * v[kStackX + i] + K[kv_y_u(i, 0)] * v[kStackU];
      for (int j = 1; j < kEffortCount; ++j) {
        sum = sum + K[kv_y_u(i, j)] * v[kStackU + j];
      }
      result[kStackY + i] = sum;
    }
  }

  void kkt_refine(const Real* target_vector, Real* var) {
    for (int pass = 0; pass < refinement_passes; ++pass) {
      kkt_multiply(kkt_residual, var);
      // The squared norm of the residual is formed only for printing.
      for (int i = 0; i < kKktSize; ++i) {
        kkt_residual[i] = kkt_residual[i] - target_vector[i];
      }
      kkt_solve(kkt_residual, kkt_correction);
      for (int i = 0; i < kKktSize; ++i) {
        var[i] = var[i] - kkt_correction[i];
      }
    }
  }

  // ---- Operators and measures ---------------------------------------------

  void neg_A_times(Real* out4, const Real* in20) {
    for (int i = 0; i < kEqualityCount; ++i) {
      Real acc = in20[i];
      for (int j = 0; j < kEffortCount; ++j) {
        acc = acc - c(i, j) * in20[kStackU + j];
      }
      out4[i] = acc;
    }
  }
  void neg_At_times(Real* out20, const Real* in4) {
    for (int i = 0; i < kErrorCount; ++i) {
      out20[i] = in4[i];
    }
    for (int j = 0; j < kEffortCount; ++j) {
      Real acc = -(c(0, j) * in4[0]);
      for (int i = 1; i < kEqualityCount; ++i) {
        acc = acc - c(i, j) * in4[i];
      }
      out20[kStackU + j] = acc;
    }
  }
  void neg_G_times(Real* out32, const Real* in20) {
    for (int j = 0; j < kEffortCount; ++j) {
      out32[j] = in20[kStackU + j];
      out32[kEffortCount + j] = -in20[kStackU + j];
    }
  }
  void neg_Gt_times(Real* out20, const Real* in32) {
    for (int i = 0; i < kErrorCount; ++i) {
      out20[i] = 0.0;
    }
    for (int j = 0; j < kEffortCount; ++j) {
      out20[kStackU + j] = in32[j] - in32[kEffortCount + j];
    }
  }
  void P_times(Real* out20, const Real* in20) {
    for (int i = 0; i < kErrorCount; ++i) {
      out20[i] = (error_weight[i] * 2.0) * in20[i];
    }
    for (int j = 0; j < kEffortCount; ++j) {
      out20[kStackU + j] = (effort_weight[j] * 2.0) * in20[kStackU + j];
    }
  }
  Real duality_gap() {
    Real sum = 0.0;
    for (int i = 0; i < kInequalityCount; ++i) {
      sum = sum + s[i] * z[i];
    }
    return sum;
  }
  Real objective_value() {
    Real* const t = kkt_residual;
    P_times(t, x);
    Real sum = 0.0;
    for (int i = 0; i < kUnknownCount; ++i) {
      sum = sum + t[i] * x[i];
    }
    sum = sum * 0.5;
    for (int i = 0; i < kUnknownCount; ++i) {
      sum = sum + q[i] * x[i];
    }
    return sum + 0.0;
  }
  Real eq_residual() {
    Real* const r = kkt_residual;
    neg_A_times(r, x);
    Real sum = 0.0;
    for (int i = 0; i < kEqualityCount; ++i) {
      r[i] = r[i] + b[i];
      sum = sum + r[i] * r[i];
    }
    return sum;
  }
  Real ineq_residual() {
    Real* const r = kkt_residual;
    neg_G_times(r, x);
    Real sum = 0.0;
    for (int i = 0; i < kInequalityCount; ++i) {
      r[i] = (h[i] - s[i]) + r[i];
      sum = sum + r[i] * r[i];
    }
    return sum;
  }

  // ---- The iteration -------------------------------------------------------

  Real step_to_boundary(Real f) {
    const Real* const ds = &direction[kStackS];
    const Real* const dz = &direction[kStackZ];
    Real m = 0.0;
    for (int i = 0; i < kInequalityCount; ++i) {
      if (s[i] * m > ds[i]) {
        m = ds[i] / s[i];
      }
    }
    for (int i = 0; i < kInequalityCount; ++i) {
      if (z[i] * m > dz[i]) {
        m = dz[i] / z[i];
      }
    }
    return m > -f ? Real(1.0) : -f / m;
  }

  void improved_start_point() {
    z_block_diagonal = -1.0;
    for (Real& entry : z_over_s) {
      entry = 1.0;
    }
    fill_kkt();
    kkt_factor();
    for (int i = 0; i < kUnknownCount; ++i) {
      kkt_rhs[kStackX + i] = -q[i];
    }
    for (int i = 0; i < kInequalityCount; ++i) {
      kkt_rhs[kStackS + i] = 0.0;
      kkt_rhs[kStackZ + i] = h[i];
    }
    for (int i = 0; i < kEqualityCount; ++i) {
      kkt_rhs[kStackY + i] = b[i];
    }
    kkt_solve(kkt_rhs, direction);
    for (int i = 0; i < kUnknownCount; ++i) {
      x[i] = direction[kStackX + i];
    }
    for (int i = 0; i < kEqualityCount; ++i) {
      y[i] = direction[kStackY + i];
    }
    const Real* const w = &direction[kStackZ];
    Real max_primal = -1e99;
    for (int i = 0; i < kInequalityCount; ++i) {
      if (w[i] > max_primal) {
        max_primal = w[i];
      }
    }
    for (int i = 0; i < kInequalityCount; ++i) {
      s[i] = max_primal < 0.0 ? -w[i] : (max_primal + 1.0) - w[i];
    }
    Real max_dual = -1e99;
    for (int i = 0; i < kInequalityCount; ++i) {
      if (-w[i] > max_dual) {
        max_dual = -w[i];
      }
    }
    for (int i = 0; i < kInequalityCount; ++i) {
      z[i] = max_dual < 0.0 ? w[i] : (max_dual + 1.0) + w[i];
    }
  }

  void affine_rhs() {
    Real* const t = kkt_residual;
    neg_At_times(&kkt_rhs[kStackX], y);
    neg_Gt_times(t, z);
    for (int i = 0; i < kUnknownCount; ++i) {
      kkt_rhs[kStackX + i] = t[i] + kkt_rhs[kStackX + i];
    }
    P_times(t, x);
    for (int i = 0; i < kUnknownCount; ++i) {
      kkt_rhs[kStackX + i] = kkt_rhs[kStackX + i] - (t[i] + q[i]);
    }
    for (int i = 0; i < kInequalityCount; ++i) {
      kkt_rhs[kStackS + i] = -z[i];
    }
    neg_G_times(&kkt_rhs[kStackZ], x);
    for (int i = 0; i < kInequalityCount; ++i) {
      kkt_rhs[kStackZ + i] = (h[i] - s[i]) + kkt_rhs[kStackZ + i];
    }
    neg_A_times(&kkt_rhs[kStackY], x);
    for (int i = 0; i < kEqualityCount; ++i) {
      kkt_rhs[kStackY + i] = kkt_rhs[kStackY + i] + b[i];
    }
  }

  void corrector_rhs() {
    const Real* const ds = &direction[kStackS];
    const Real* const dz = &direction[kStackZ];
    Real g = 0.0;
    for (int i = 0; i < kInequalityCount; ++i) {
      g = g + s[i] * z[i];
    }
    const Real alpha_affine = step_to_boundary(1.0);
    Real g_affine = 0.0;
    for (int i = 0; i < kInequalityCount; ++i) {
      g_affine = g_affine + (alpha_affine * ds[i] + s[i]) * (alpha_affine * dz[i] + z[i]);
    }
    const Real ratio = g_affine / g;
    const Real sigma_mu = ((ratio * ratio) * ratio) * (g * 0.03125);
    for (int i = 0; i < kUnknownCount; ++i) {
      kkt_rhs[kStackX + i] = 0.0;
    }
    for (int i = kStackZ; i < kKktSize; ++i) {
      kkt_rhs[i] = 0.0;
    }
    for (int i = 0; i < kInequalityCount; ++i) {
      kkt_rhs[kStackS + i] = (sigma_mu - dz[i] * ds[i]) * inverse_slack[i];
    }
  }

  // solve_qp with the improved start and without printing.
  std::int32_t solve_qp() {
    converged = 0;
    for (Real& entry : q) {
      entry = 0.0;
    }
    for (int j = 0; j < kEffortCount; ++j) {
      h[j] = 0.0;
      h[kEffortCount + j] = 1.0;
    }
    for (int i = 0; i < kEqualityCount; ++i) {
      b[i] = target[i];
    }
    improved_start_point();
    if (iteration_limit <= 0) {
      return 0;
    }
    for (std::int32_t k = 0; k < iteration_limit; ++k) {
      for (int i = 0; i < kInequalityCount; ++i) {
        inverse_slack[i] = 1.0 / s[i];
        z_over_s[i] = inverse_slack[i] * z[i];
      }
      z_block_diagonal = 0.0;
      fill_kkt();
      kkt_factor();
      affine_rhs();
      kkt_solve(kkt_rhs, direction);
      kkt_refine(kkt_rhs, direction);
      corrector_rhs();
      kkt_solve(kkt_rhs, corrector_direction);
      kkt_refine(kkt_rhs, corrector_direction);
      for (int i = 0; i < kKktSize; ++i) {
        direction[i] = corrector_direction[i] + direction[i];
      }
      const Real alpha = step_to_boundary(0.99);
      for (int i = 0; i < kUnknownCount; ++i) {
        x[i] = alpha * direction[kStackX + i] + x[i];
      }
      for (int i = 0; i < kInequalityCount; ++i) {
        s[i] = alpha * direction[kStackS + i] + s[i];
      }
      for (int i = 0; i < kInequalityCount; ++i) {
        z[i] = alpha * direction[kStackZ + i] + z[i];
      }
      for (int i = 0; i < kEqualityCount; ++i) {
        y[i] = alpha * direction[kStackY + i] + y[i];
      }
      gap = duality_gap();
      eq_residual_sq = eq_residual();
      ineq_residual_sq = ineq_residual();
      const Real t = residual_tolerance * residual_tolerance;
      if (gap < gap_tolerance && eq_residual_sq <= t && ineq_residual_sq <= t) {
        converged = 1;
        objv = objective_value();
        return k + 1;
      }
    }
    return iteration_limit;
  }
};

}  // namespace sfqp::bench
