// The cost firmware: how many instructions the core runs on the Cortex-M7, for
// a whole solve of a 4-iteration problem (rotor16_0) and of a 25-iteration one
// (limit_0; the golden run bounds the costliest), and for one call of each KKT
// kernel on the system a solve leaves. Run under QEMU with
// -icount shift=0 (instruction_count.h); bench/m7_cost reads what it prints.
#include <cstdint>

#include "firmware/golden_load.h"
#include "firmware/instruction_count.h"
#include "firmware/semihosting.h"
#include "kkt/fill_kkt.h"
#include "kkt/filled_kkt.h"
#include "kkt/kkt_factor.h"
#include "kkt/kkt_refine.h"
#include "kkt/kkt_solve.h"
#include "solver/records.h"
#include "solver/solve_qp.h"

namespace sfqp::firmware {
namespace {

// Kernels are straight-line code: each call runs the same instructions, so
// many calls in one count divide the timer's tick down to below one.
constexpr int kKernelRepeats = 64;

void report(const char* what, const char* name, std::int64_t instructions) {
  write_text(what);
  write_text(" ");
  write_text(name);
  write_text(": ");
  write_decimal(instructions);
  write_text(" instructions\n");
}

bool count_solve(const char* name) {
  const GoldenCase* golden = find_golden(name);
  if (golden == nullptr) {
    write_text("no golden problem ");
    write_text(name);
    write_text("\n");
    return false;
  }
  load_golden(*golden);
  std::int32_t iterations = 0;
  const std::int64_t instructions = instructions_of([&] { iterations = solve_qp(); });
  write_text("solve ");
  write_text(name);
  write_text(": ");
  write_decimal(iterations);
  write_text(" iterations, ");
  write_decimal(instructions);
  write_text(" instructions\n");
  return iterations == golden->iterations;
}

template <class Kernel>
void count_kernel(const char* name, Kernel kernel) {
  report("kernel", name, instructions_of(kernel, kKernelRepeats));
}

}  // namespace

int run() {
  start_instruction_count();
  write_text("instructions per timer tick: ");
  write_decimal(instructions_per_tick());
  write_text("\n");
  if (!count_solve("rotor16_0") || !count_solve("limit_0")) {
    return 1;
  }
  // The system of the last iteration of rotor16_0.
  count_solve("rotor16_0");
  double* rhs = workspace.kkt_rhs;
  double* direction = workspace.corrector_direction;
  count_kernel("fill_kkt", [] { fill_kkt(); });
  count_kernel("kkt_factor", [] { kkt_factor(); });
  count_kernel("kkt_solve", [=] { kkt_solve(rhs, direction); });
  count_kernel("kkt_multiply", [=] { kkt_multiply(workspace.kkt_residual, direction); });
  count_kernel("kkt_refine", [=] { kkt_refine(rhs, direction); });
  count_kernel("kkt_factor_filled", [] { kkt_factor_filled(); });
  count_kernel("kkt_solve_filled", [=] { kkt_solve_filled(rhs, direction); });
  count_kernel("kkt_refine_filled", [=] { kkt_refine_filled(rhs, direction); });
  return 0;
}

}  // namespace sfqp::firmware
