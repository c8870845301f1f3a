#include "solver/instruction_set.h"

#include <cpuid.h>

#include "solver/solve_qp.h"

namespace sfqp {

// Each build's table (solver/arithmetic.cpp). This file is compiled with the
// portable build, whose namespace solve_qp.h has opened as inline.
inline namespace x86_64 {
extern const Arithmetic kArithmetic;
}
namespace x86_64_v3 {
extern const Arithmetic kArithmetic;
}

namespace {

// XCR0: which register states the operating system saves on a context switch.
// Bits 1 and 2 are the SSE and the upper AVX halves of the vector registers.
bool operating_system_saves_avx_registers() {
  unsigned int low = 0;
  unsigned int high = 0;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (low & 6U) == 6U;
}

// The features -march=x86-64-v3 lets the compiler use beyond the baseline's
// (the SSE3 and SSE4 generations come with every processor that has these).
bool processor_runs_x86_64_v3() {
  unsigned int a = 0;
  unsigned int b = 0;
  unsigned int c = 0;
  unsigned int d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0) {
    return false;
  }
  const unsigned int leaf1 = bit_FMA | bit_MOVBE | bit_OSXSAVE | bit_AVX | bit_F16C;
  if ((c & leaf1) != leaf1 || !operating_system_saves_avx_registers()) {
    return false;
  }
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) {
    return false;
  }
  const unsigned int leaf7 = bit_AVX2 | bit_BMI | bit_BMI2;
  if ((b & leaf7) != leaf7) {
    return false;
  }
  if (__get_cpuid(0x80000001U, &a, &b, &c, &d) == 0) {
    return false;
  }
  return (c & bit_LZCNT) != 0;
}

// Both read once, when the module is loaded.
const bool processor_has_x86_64_v3 = processor_runs_x86_64_v3();
const Arithmetic* active_build =
    &arithmetic(processor_has_x86_64_v3 ? InstructionSet::x86_64_v3 : InstructionSet::x86_64);

}  // namespace

const Arithmetic& arithmetic(InstructionSet set) {
  return set == InstructionSet::x86_64_v3 ? x86_64_v3::kArithmetic : x86_64::kArithmetic;
}

std::string_view instruction_set_name(InstructionSet set) {
  return set == InstructionSet::x86_64_v3 ? "x86-64-v3" : "x86-64";
}

std::optional<InstructionSet> instruction_set_named(std::string_view name) {
  for (const InstructionSet set : kInstructionSets) {
    if (name == instruction_set_name(set)) {
      return set;
    }
  }
  return std::nullopt;
}

bool instruction_set_supported(InstructionSet set) {
  return set == InstructionSet::x86_64 || processor_has_x86_64_v3;
}

InstructionSet active_instruction_set() {
  return active_build->instruction_set;
}

bool use_instruction_set(InstructionSet set) {
  if (!instruction_set_supported(set)) {
    return false;
  }
  active_build = &arithmetic(set);
  return true;
}

std::int32_t solve_qp() {
  return active_build->solve_qp();
}

}  // namespace sfqp
