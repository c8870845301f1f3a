// kkt_factor: L*D*L' of the KKT matrix over the fixed pattern, one stanza per
// block of columns (s, z, e, u, y), columns in increasing position. In each
// column, w_k = L_jk*d_k is formed once and reused; the raw pivot subtracts
// L_jk*w_k one product at a time in increasing k, and so does every entry
// below it. Each entry of L is a product with the stored reciprocal of its
// pivot: exactly 88 divisions. The products w_k live in registers, but for
// those of the u columns in the y stanza, which go through kkt_work.
//
// Columns of the s, z, e and u blocks depend only on columns of earlier
// blocks, so four of them are factored side by side in lanes. The y columns
// chain, but within y column i the raw pivot and the fill entries of the rows
// below run the same sequence of products over u_0..u_15 and y_0..y_(i-1):
// they share a vector, lane r holding row y_r. The pivot rule is a select,
// in the y stanza too.
//
// The matrix is read through a Values reading (kkt/kkt_values.h): kkt_factor
// reads kkt_values, kkt_factor_filled what fill_kkt fills it from.
#include "kkt/kkt_factor.h"

#include "kkt/filled_kkt.h"
#include "kkt/kkt_pattern.h"
#include "kkt/kkt_values.h"
#include "kkt/lanes.h"
#include "solver/console_sink.h"

#include <cstddef>
#include <type_traits>

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

using namespace kkt;

namespace {

// Pivots of s, e or u positions: at least delta; of z or y positions: at most
// -delta. A NaN raw value fails both comparisons and stays NaN.
[[gnu::always_inline]] inline Lanes positive_pivots(Lanes raw, Lanes delta) {
  return select(less(raw, splat(0.0)), delta, raw + delta);
}
[[gnu::always_inline]] inline Lanes negative_pivots(Lanes raw, Lanes delta) {
  return select(greater(raw, splat(0.0)), -delta, raw - delta);
}

// Stores d and 1.0/d for positions p..p+3 and returns the reciprocals.
[[gnu::always_inline]] inline Lanes store_pivots(int p, Lanes d) {
  const Lanes inverse = 1.0 / d;
  store(&workspace.factor_D[p], d);
  store(&workspace.factor_D_inverse[p], inverse);
  return inverse;
}

// The lanes one stanza keeps for the stanzas after it, kept[b] for b < N.
// Where the lanes live in vector registers (kkt/lanes.h) they are an array of
// lanes. Where they do not, they are kept in the factor itself: Place writes
// kept[b] where the factor stores those entries and reads them back from
// there, with the same bits, so the step's stack stays small.
template <class Place>
struct InFactor {
  struct Entry {
    int b;
    [[gnu::always_inline]] operator Lanes() const { return Place::read(b); }
    [[gnu::always_inline]] double operator[](int i) const { return Place::read(b)[i]; }
    [[gnu::always_inline]] void operator=(Lanes v) const { Place::write(b, v); }
  };
  [[gnu::always_inline]] Entry operator[](int b) const { return Entry{b}; }
};
template <int N, class Place>
using Kept = std::conditional_t<kLanesInVectorRegisters, Lanes[static_cast<std::size_t>(N)],
                                InFactor<Place>>;

// The places of the kept lanes: the s pivots k = 4b..4b+3 and their entries
// (z_k, s_k); column u_j of the y rows (lane i = row y_i); column y_c of the
// y rows (lane r = row y_r), where rows y_0..y_c have no entry and read 0.0.
struct PivotsS {
  static Lanes read(int b) { return load(&workspace.factor_D[kPosS + 4 * b]); }
  static void write(int b, Lanes d) { store(&workspace.factor_D[kPosS + 4 * b], d); }
};
struct EntriesZS {
  static Lanes read(int b) { return load(&workspace.factor_L[fl_z_s(4 * b)]); }
  static void write(int b, Lanes v) { store(&workspace.factor_L[fl_z_s(4 * b)], v); }
};
// The entries below the z pivots, z_k for k = 4b..4b+3: at (u_k, z_k) for
// k < 16 and at (u_(k-16), z_k) beyond, side by side in rows u_j.
struct EntriesUZ {
  static int place(int k) { return k < kEffortCount ? fl_u_zlow(k) : fl_u_zhigh(k - kEffortCount); }
  static Lanes read(int b) {
    Lanes v;
    for (int c = 0; c < 4; ++c) {
      v[c] = workspace.factor_L[place(4 * b + c)];
    }
    return v;
  }
  static void write(int b, Lanes v) {
    for (int c = 0; c < 4; ++c) {
      workspace.factor_L[place(4 * b + c)] = v[c];
    }
  }
};
struct ColumnYU {
  static Lanes read(int j) {
    const double* const L = workspace.factor_L;
    return Lanes{L[fl_y_u(0, j)], L[fl_y_u(1, j)], L[fl_y_u(2, j)], L[fl_y_u(3, j)]};
  }
  static void write(int j, Lanes column) {
    for (int i = 0; i < kEqualityCount; ++i) {
      workspace.factor_L[fl_y_u(i, j)] = column[i];
    }
  }
};
struct ColumnYY {
  static Lanes read(int c) {
    Lanes column = splat(0.0);
    for (int r = c + 1; r < kEqualityCount; ++r) {
      column[r] = workspace.factor_L[fl_y_y(r, c)];
    }
    return column;
  }
  static void write(int c, Lanes column) {
    for (int r = c + 1; r < kEqualityCount; ++r) {
      workspace.factor_L[fl_y_y(r, c)] = column[r];
    }
  }
};

// The factorisation, reading the matrix through Values (kkt/kkt_values.h).
template <class Values>
void factor() {
  double* const L = workspace.factor_L;
  const double* const D = workspace.factor_D;
  const double delta = solver_settings.kkt_regularization;
  const Lanes deltas = splat(delta);

  // s columns (lanes k..k+3): no earlier columns; one entry below, at (z_k, s_k).
  // The pivots and the entries stay in registers for the z columns.
  constexpr int kBlocks = kInequalityCount / 4;
  Kept<kBlocks, PivotsS> d_s;
  Kept<kBlocks, EntriesZS> L_z_s;
  for (int k = 0; k < kInequalityCount; k += 4) {
    d_s[k / 4] = positive_pivots(Values::s_diagonal(k), deltas);
    L_z_s[k / 4] = Values::z_s(k) * store_pivots(kPosS + k, d_s[k / 4]);
    store(&L[fl_z_s(k)], L_z_s[k / 4]);
  }

  // z columns (lanes k..k+3): row z_k has column s_k; one entry below, at
  // (u_(k mod 16), z_k), sharing no earlier column with row z_k. The entries
  // of z_j and z_(16+j) sit side by side in row u_j.
  Kept<kBlocks, EntriesUZ> below;
  for (int k = 0; k < kInequalityCount; k += 4) {
    const Lanes w_s = L_z_s[k / 4] * d_s[k / 4];
    const Lanes raw = Values::z_diagonal(k) - L_z_s[k / 4] * w_s;
    const Lanes inverse = store_pivots(kPosZ + k, negative_pivots(raw, deltas));
    below[k / 4] = Values::u_z(k) * inverse;
  }
  for (int j = 0; j < kEffortCount; j += 4) {
    const Lanes low = below[j / 4];
    const Lanes high = below[(kEffortCount + j) / 4];
    store(&L[fl_u_zlow(j)], interleave_low(low, high));
    store(&L[fl_u_zlow(j + 2)], interleave_high(low, high));
  }

  // e columns (lane i): no earlier columns; one entry below, at (y_i, e_i).
  {
    const Lanes inverse = store_pivots(kPosE, positive_pivots(Values::e_diagonal(), deltas));
    const Lanes L_y_e = Values::y_e() * inverse;
    for (int i = 0; i < kErrorCount; ++i) {
      L[fl_y_e(i)] = L_y_e[i];
    }
  }

  // u columns (lanes j..j+3): row u_j has columns z_j and z_(16+j); rows
  // y_0..y_3 below share neither, so their entries are the coupling scaled by
  // the reciprocal pivot. Column u_j of the y rows is kept as a vector over
  // the rows (lane i = row y_i) for the y stanza, and stored row by row.
  Kept<kEffortCount, ColumnYU> L_y_u;
  for (int j = 0; j < kEffortCount; j += 4) {
    const Lanes L_low = below[j / 4];
    const Lanes L_high = below[(kEffortCount + j) / 4];
    const Lanes w_low = L_low * load(&D[kPosZ + j]);
    const Lanes w_high = L_high * load(&D[kPosZ + kEffortCount + j]);
    const Lanes raw = (Values::u_diagonal(j) - L_low * w_low) - L_high * w_high;
    const Lanes inverse = store_pivots(kPosU + j, positive_pivots(raw, deltas));
    Lanes rows[4];
    for (int c = 0; c < 4; ++c) {
      L_y_u[j + c] = Values::y_u(j + c) * splat(inverse[c]);
      rows[c] = L_y_u[j + c];
    }
    transpose(rows);
    for (int i = 0; i < kEqualityCount; ++i) {
      store(&L[fl_y_u(i, j)], rows[i]);
    }
  }

  // y columns: row y_i has columns e_i, u_0..u_15 and y_0..y_(i-1); no stored
  // diagonal, so the raw pivot starts from 0.0 - L(y_i,e_i)*w_e. The entries
  // below are fill: rows y_r (r > i) share u_0..u_15 and y_0..y_(i-1), and
  // start from the negated first product. Lane r of the running vector t is
  // row y_r; the lanes of rows above y_i carry nothing of use.
  // With AVX the stanza is unrolled over i, so that lane numbers are constants
  // and the u part of each column, which needs nothing of the y columns before
  // it, can start before they finish; the portable build, which keeps a Lanes
  // value as two SSE2 registers, runs it faster as a loop. The products w_k of
  // the u columns go through kkt_work, which every build reads back fastest.
  Kept<kEqualityCount, ColumnYY> L_y_y;  // column y_c of the y rows, lane r = row y_r
  const LaneMask lane = {0, 1, 2, 3};
  double* const w = workspace.kkt_work;
#ifdef __AVX__
#pragma GCC unroll 4
#else
#pragma GCC unroll 1
#endif
  for (int i = 0; i < kEqualityCount; ++i) {
    const double L_e = L[fl_y_e(i)];
    const double w_e = L_e * D[kPosE + i];
    for (int j = 0; j < kEffortCount; j += 4) {
      store(&w[kPosU + j], load(&L[fl_y_u(i, j)]) * load(&D[kPosU + j]));
    }
    const Lanes first = L_y_u[0] * splat(w[kPosU]);
    const Lanes pivot_start = (0.0 - splat(L_e * w_e)) - first;
    Lanes t = select(lane == i, pivot_start, -first);
    for (int j = 1; j < kEffortCount; ++j) {
      t = t - L_y_u[j] * splat(w[kPosU + j]);
    }
    for (int c = 0; c < i; ++c) {
      const double w_y = L_y_y[c][i] * D[kPosY + c];
      t = t - L_y_y[c] * splat(w_y);
    }
    // The pivot rule of a z or y position in lane i (the other lanes unused).
    const double d = negative_pivots(t, deltas)[i];
    const double inverse = 1.0 / d;
    workspace.factor_D[kPosY + i] = d;
    workspace.factor_D_inverse[kPosY + i] = inverse;
    L_y_y[i] = t * splat(inverse);
    for (int r = i + 1; r < kEqualityCount; ++r) {
      L[fl_y_y(r, i)] = L_y_y[i][r];
    }
  }

  if (solver_settings.print_kkt_checks != 0) {
    console_print("Squared Frobenius for factorization is %.8g.\n", kkt_factor_check());
  }
}

}  // namespace

void kkt_factor() {
  factor<StoredValues>();
}

void kkt_factor_filled() {
  factor<FilledValues>();
}

void kkt_factor_start() {
  factor<StartValues>();
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

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
