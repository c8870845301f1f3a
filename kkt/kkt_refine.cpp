// kkt_multiply: one expression per stacked row, each sum accumulated left to
// right in the order written below; every stored value serves both of its rows.
// The rows of a block are independent, so four run side by side in lanes,
// each keeping its own order: e rows and y rows in lanes i, u rows in lanes
// j..j+3, s and z rows in lanes k..k+3. kkt_multiply reads kkt_values; the
// refinement of kkt_refine_filled reads the matrix from where fill_kkt takes
// it (kkt/kkt_values.h), the same values.
// kkt_refine: residual K*var - target, correction solved from it, subtracted.
// With AVX the product stores the residual directly (each entry less its
// target), and the solve takes each final correction entry off var as it
// stores it; the portable build runs both as sweeps of their own.
#include "kkt/kkt_refine.h"

#include "kkt/filled_kkt.h"
#include "kkt/kkt_internal.h"
#include "kkt/kkt_pattern.h"
#include "kkt/kkt_solve.h"
#include "kkt/kkt_values.h"
#include "kkt/lanes.h"
#include "solver/console_sink.h"

namespace sfqp {
inline namespace SFQP_INSTRUCTION_SET {

using namespace kkt;

namespace {

// Stores entries i..i+3 of the product, or of the product less target when
// the refinement forms its residual: ((K*v)[i]) - target[i], as the separate
// sweep would.
template <bool kResidual>
[[gnu::always_inline]] inline void put(double* result, const double* target, int i, Lanes x) {
  if constexpr (kResidual) {
    store(&result[i], x - load(&target[i]));
  } else {
    store(&result[i], x);
  }
}

// result, source and target are distinct, and none is the matrix or its
// sources; restrict tells the compiler so, as in the solve.
template <bool kResidual, class Values>
[[gnu::always_inline]] inline void product(double* __restrict result,
                                           const double* __restrict source,
                                           const double* __restrict target) {
  const double* const v = source;
  const Lanes vy = load(&v[kStackY]);

  const Lanes K_y_e = Values::y_e();
  {
    // y rows (lane i), first: K(y,e)*e + K(y,u_0)*u_0, then + K(y,u_j)*u_j for
    // j = 1..15; column u_j of the y rows is stored contiguously. Formed after
    // the u rows, which read the same columns, the columns were held for them
    // in spilled registers.
    Lanes sum = K_y_e * load(&v[kStackX]) + Values::y_u(0) * splat(v[kStackU]);
    for (int j = 1; j < kEffortCount; ++j) {
      sum = sum + Values::y_u(j) * splat(v[kStackU + j]);
    }
    put<kResidual>(result, target, kStackY, sum);
  }
  // e rows (lane i): K(e,e)*e + K(y,e)*y.
  put<kResidual>(result, target, kStackX, Values::e_diagonal() * load(&v[kStackX]) + K_y_e * vy);

  // u rows (lanes j..j+3): K(u,u)*u + K(z_j,u)*z_j, + K(z_16+j,u)*z_16+j, then
  // + K(y_i,u)*y_i for i = 0..3.
  for (int j = 0; j < kEffortCount; j += 4) {
    // The products K(y_i,u_j)*y_i are formed along each stored column and
    // transposed, so that lane c of products[i] holds column u_(j+c).
    Lanes products[4];
    for (int c = 0; c < 4; ++c) {
      products[c] = Values::y_u(j + c) * vy;
    }
    transpose(products);
    const Lanes z_low = Values::u_z(j);
    const Lanes z_high = Values::u_z(kEffortCount + j);
    Lanes sum = Values::u_diagonal(j) * load(&v[kStackU + j]) + z_low * load(&v[kStackZ + j]);
    sum = sum + z_high * load(&v[kStackZ + kEffortCount + j]);
    for (int i = 0; i < kEqualityCount; ++i) {
      sum = sum + products[i];
    }
    put<kResidual>(result, target, kStackU + j, sum);
  }

  // s rows and z rows (lanes k..k+3): K(s,s)*s + K(z,s)*z, and
  // (K(z,z)*z + K(z,s)*s) + K(z,u)*u_(k mod 16).
  for (int k = 0; k < kInequalityCount; k += 4) {
    const Lanes K_z_s = Values::z_s(k);
    const Lanes vs = load(&v[kStackS + k]);
    const Lanes vz = load(&v[kStackZ + k]);
    put<kResidual>(result, target, kStackS + k, Values::s_diagonal(k) * vs + K_z_s * vz);
    const Lanes sum = Values::z_diagonal(k) * vz + K_z_s * vs;
    put<kResidual>(result, target, kStackZ + k,
                   sum + Values::u_z(k) * load(&v[kStackU + k % kEffortCount]));
  }
}

// kkt_residual := K*var - target. Its squared norm, summed in index order, is
// only ever printed, so it is formed only for the print.
template <class Values>
void residual_into_workspace(const double* target, const double* var) {
#ifdef __AVX__
  product<true, Values>(workspace.kkt_residual, var, target);
#else
  // The portable build takes the lanes of the fused stores through the
  // stack; the subtraction is its own sweep there.
  double* const r = workspace.kkt_residual;
  product<false, Values>(r, var, nullptr);
  for (int i = 0; i < kKktSize; i += 4) {
    store(&r[i], load(&r[i]) - load(&target[i]));
  }
#endif
}

double residual_norm() {
  const double* const r = workspace.kkt_residual;
  double norm = 0.0;
  for (int i = 0; i < kKktSize; i += 4) {
    const Lanes residual = load(&r[i]);
    norm = add_in_order(norm, residual * residual);
  }
  return norm;
}

}  // namespace

void kkt_multiply(double* result, const double* source) {
  product<false, StoredValues>(result, source, nullptr);
}

namespace {

constexpr const char* kInitialResidualFormat =
    "Initial residual before refinement has norm squared %.6g.\n";
constexpr const char* kRefinedResidualFormat = "After refinement we get squared norm %.6g.\n";

// The passes, reading the matrix through Values; solve_and_update is the
// correction solve of the same reading.
template <class Values, void (*solve_and_update)(const double*, double*, double*)>
void refine(const double* target, double* var) {
  const int passes = solver_settings.refinement_passes;
  const bool print = solver_settings.print_refinement != 0;
  for (int pass = 0; pass < passes; ++pass) {
    residual_into_workspace<Values>(target, var);
    if (print) {
      console_print(pass == 0 ? kInitialResidualFormat : kRefinedResidualFormat, residual_norm());
    }
    solve_and_update(workspace.kkt_residual, workspace.kkt_correction, var);
  }
  if (print) {
    residual_into_workspace<Values>(target, var);
    console_print(passes > 0 ? kRefinedResidualFormat : kInitialResidualFormat, residual_norm());
  }
}

}  // namespace

void kkt_refine(const double* target, double* var) {
  refine<StoredValues, kkt_solve_and_update>(target, var);
}

void kkt_refine_filled(const double* target, double* var) {
  refine<FilledValues, kkt_solve_and_update_filled>(target, var);
}

}  // namespace SFQP_INSTRUCTION_SET
}  // namespace sfqp
