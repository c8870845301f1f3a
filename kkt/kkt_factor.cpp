// kkt_factor: L*D*L' of the KKT matrix over the fixed pattern, one stanza per
// block of columns (s, z, e, u, y), columns in increasing position. In each
// column, w_k = L_jk*d_k is formed once (kept in kkt_work[k]) and reused; the
// raw pivot subtracts L_jk*w_k one product at a time in increasing k, and so
// does every entry below it. Each entry of L is a product with the stored
// reciprocal of its pivot: exactly 88 divisions.
#include "kkt/kkt_factor.h"

#include "block/host_services.h"
#include "kkt/kkt_pattern.h"

namespace sfqp {

using namespace kkt;

namespace {

// Pivot of an s, e or u position: at least delta (a NaN raw value stays NaN).
inline double positive_pivot(double raw, double delta) {
  return raw < 0.0 ? delta : raw + delta;
}

// Pivot of a z or y position: at most -delta (a NaN raw value stays NaN).
inline double negative_pivot(double raw, double delta) {
  return raw > 0.0 ? -delta : raw - delta;
}

inline void store_pivot(int p, double d) {
  workspace.factor_D[p] = d;
  workspace.factor_D_inverse[p] = 1.0 / d;
}

}  // namespace

void kkt_factor() {
  const double* const K = workspace.kkt_values;
  double* const L = workspace.factor_L;
  const double* const D = workspace.factor_D;
  const double* const Dinv = workspace.factor_D_inverse;
  double* const w = workspace.kkt_work;
  const double delta = solver_settings.kkt_regularization;

  // s columns: no earlier columns; one entry below, at (z_k, s_k).
  for (int k = 0; k < kInequalityCount; ++k) {
    store_pivot(kPosS + k, positive_pivot(K[kv_s_diag(k)], delta));
    L[fl_z_s(k)] = K[kv_z_s(k)] * Dinv[kPosS + k];
  }

  // z columns: row z_k has column s_k; one entry below, at (u_(k mod 16), z_k),
  // sharing no earlier column with row z_k.
  for (int k = 0; k < kInequalityCount; ++k) {
    w[kPosS + k] = L[fl_z_s(k)] * D[kPosS + k];
    const double raw = K[kv_z_diag(k)] - L[fl_z_s(k)] * w[kPosS + k];
    store_pivot(kPosZ + k, negative_pivot(raw, delta));
    const int below = k < kEffortCount ? fl_u_zlow(k) : fl_u_zhigh(k - kEffortCount);
    L[below] = K[kv_u_z(k)] * Dinv[kPosZ + k];
  }

  // e columns: no earlier columns; one entry below, at (y_i, e_i).
  for (int i = 0; i < kErrorCount; ++i) {
    store_pivot(kPosE + i, positive_pivot(K[kv_e_diag(i)], delta));
    L[fl_y_e(i)] = K[kv_y_e(i)] * Dinv[kPosE + i];
  }

  // u columns: row u_j has columns z_j and z_(16+j); rows y_0..y_3 below share
  // neither, so their entries are the coupling scaled by the reciprocal pivot.
  for (int j = 0; j < kEffortCount; ++j) {
    const int low = kPosZ + j;
    const int high = kPosZ + kEffortCount + j;
    w[low] = L[fl_u_zlow(j)] * D[low];
    w[high] = L[fl_u_zhigh(j)] * D[high];
    const double raw = (K[kv_u_diag(j)] - L[fl_u_zlow(j)] * w[low]) - L[fl_u_zhigh(j)] * w[high];
    store_pivot(kPosU + j, positive_pivot(raw, delta));
    for (int i = 0; i < kEqualityCount; ++i) {
      L[fl_y_u(i, j)] = K[kv_y_u(i, j)] * Dinv[kPosU + j];
    }
  }

  // y columns: row y_i has columns e_i, u_0..u_15 and y_0..y_(i-1); no stored
  // diagonal, so the raw pivot starts from 0.0. The entries below are fill:
  // rows y_r (r > i) share u_0..u_15 and y_0..y_(i-1), and start from the
  // negated first product.
  for (int i = 0; i < kEqualityCount; ++i) {
    w[kPosE + i] = L[fl_y_e(i)] * D[kPosE + i];
    for (int j = 0; j < kEffortCount; ++j) {
      w[kPosU + j] = L[fl_y_u(i, j)] * D[kPosU + j];
    }
    for (int c = 0; c < i; ++c) {
      w[kPosY + c] = L[fl_y_y(i, c)] * D[kPosY + c];
    }
    double raw = 0.0 - L[fl_y_e(i)] * w[kPosE + i];
    for (int j = 0; j < kEffortCount; ++j) {
      raw = raw - L[fl_y_u(i, j)] * w[kPosU + j];
    }
    for (int c = 0; c < i; ++c) {
      raw = raw - L[fl_y_y(i, c)] * w[kPosY + c];
    }
    store_pivot(kPosY + i, negative_pivot(raw, delta));
    for (int r = i + 1; r < kEqualityCount; ++r) {
      double t = -(L[fl_y_u(r, 0)] * w[kPosU]);
      for (int j = 1; j < kEffortCount; ++j) {
        t = t - L[fl_y_u(r, j)] * w[kPosU + j];
      }
      for (int c = 0; c < i; ++c) {
        t = t - L[fl_y_y(r, c)] * w[kPosY + c];
      }
      L[fl_y_y(r, i)] = t * Dinv[kPosY + i];
    }
  }

  if (solver_settings.print_kkt_checks != 0) {
    mexPrintf("Squared Frobenius for factorization is %.8g.\n", kkt_factor_check());
  }
}

// Residual K - (L*D*L') at every stored position, squared and summed in the
// order of the unpermuted blocks: x diagonal (e, then u), s diagonal, (z, s),
// z diagonal, (u, z) of value -1 then +1, (y, e), then (y, u) row by row. A
// diagonal of L*D*L' is d_r plus (L_rk*L_rk)*d_k over row r's columns in
// increasing k; no stored off-diagonal position has a shared earlier column, so
// each is the single term L_rc*d_c.
double kkt_factor_check() {
  const double* const K = workspace.kkt_values;
  const double* const L = workspace.factor_L;
  const double* const D = workspace.factor_D;
  double sum = 0.0;
  auto add = [&sum](double stored, double product) {
    const double residual = stored - product;
    sum = sum + residual * residual;
  };

  for (int i = 0; i < kErrorCount; ++i) {
    add(K[kv_e_diag(i)], D[kPosE + i]);
  }
  for (int j = 0; j < kEffortCount; ++j) {
    const double low = L[fl_u_zlow(j)];
    const double high = L[fl_u_zhigh(j)];
    add(K[kv_u_diag(j)],
        (D[kPosU + j] + (low * low) * D[kPosZ + j]) + (high * high) * D[kPosZ + kEffortCount + j]);
  }
  for (int k = 0; k < kInequalityCount; ++k) {
    add(K[kv_s_diag(k)], D[kPosS + k]);
  }
  for (int k = 0; k < kInequalityCount; ++k) {
    add(K[kv_z_s(k)], L[fl_z_s(k)] * D[kPosS + k]);
  }
  for (int k = 0; k < kInequalityCount; ++k) {
    add(K[kv_z_diag(k)], D[kPosZ + k] + (L[fl_z_s(k)] * L[fl_z_s(k)]) * D[kPosS + k]);
  }
  for (int k = 0; k < kInequalityCount; ++k) {
    const int entry = k < kEffortCount ? fl_u_zlow(k) : fl_u_zhigh(k - kEffortCount);
    add(K[kv_u_z(k)], L[entry] * D[kPosZ + k]);
  }
  for (int i = 0; i < kErrorCount; ++i) {
    add(K[kv_y_e(i)], L[fl_y_e(i)] * D[kPosE + i]);
  }
  for (int i = 0; i < kEqualityCount; ++i) {
    for (int j = 0; j < kEffortCount; ++j) {
      add(K[kv_y_u(i, j)], L[fl_y_u(i, j)] * D[kPosU + j]);
    }
  }
  return sum;
}

}  // namespace sfqp
