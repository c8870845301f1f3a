// The builds of the core's arithmetic, one per instruction set, and the one
// solve_qp runs. Every build computes the same operations in the same order,
// one rounding each, so all give the same bits; they differ only in speed.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sfqp {

enum class InstructionSet {
  x86_64,     // the x86-64 baseline: two doubles per SSE2 register
  x86_64_v3,  // x86-64-v3: four doubles per AVX2 register
  x86_64_v4,  // x86-64-v4: the same, with AVX-512's 32 registers rather than 16
};

// Oldest first.
inline constexpr InstructionSet kInstructionSets[] = {
    InstructionSet::x86_64, InstructionSet::x86_64_v3, InstructionSet::x86_64_v4};

// One build's entry points, for the tests and benchmarks that compare builds.
struct Arithmetic {
  InstructionSet instruction_set;
  std::int32_t (*solve_qp)();
  void (*fill_kkt)();
  void (*kkt_factor)();
  void (*kkt_solve)(const double* target, double* result);
  void (*kkt_multiply)(double* result, const double* source);
  void (*kkt_refine)(const double* target, double* var);
  // The forms the iteration runs, which read fill_kkt's sources (kkt/filled_kkt.h).
  void (*kkt_factor_filled)();
  void (*kkt_solve_filled)(const double* target, double* result);
  void (*kkt_refine_filled)(const double* target, double* var);
  // The factor of the improved start (z_over_s all 1.0, z_block_diagonal -1.0).
  void (*kkt_factor_start)();
};

const Arithmetic& arithmetic(InstructionSet set);

// The names -march gives them: "x86-64", "x86-64-v3" and "x86-64-v4".
std::string_view instruction_set_name(InstructionSet set);
std::optional<InstructionSet> instruction_set_named(std::string_view name);

// Whether this processor, and the operating system for the AVX registers, can
// run the build.
bool instruction_set_supported(InstructionSet set);

// The set solve_qp runs: from load time, the newest one this processor runs.
InstructionSet active_instruction_set();

// The build solve_qp runs.
const Arithmetic& active_arithmetic();

// Makes later solve_qp calls run the build for set. Returns false, changing
// nothing, when this processor cannot run it.
bool use_instruction_set(InstructionSet set);

}  // namespace sfqp
