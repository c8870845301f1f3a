// The x86-64 builds: the processor's features, read once at load time, decide
// which of the three solve_qp runs.
#include <cpuid.h>

#include "solver/instruction_set.h"

namespace sfqp {

// Each build's table (solver/arithmetic.cpp). This file is compiled with the
// portable build, whose namespace is the inline one
// (kkt/instruction_set_namespace.h).
inline namespace x86_64 {
extern const Arithmetic kArithmetic;
}
namespace x86_64_v3 {
extern const Arithmetic kArithmetic;
}
namespace x86_64_v4 {
extern const Arithmetic kArithmetic;
}

namespace {

// XCR0: which register states the operating system saves on a context switch.
// Bits 1 and 2 are the SSE and the upper AVX halves of the vector registers;
// bits 5 to 7 AVX-512's mask registers, the upper halves of its 512-bit
// registers and its 16 further ones.
constexpr unsigned int kAvxState = 0x06U;
constexpr unsigned int kAvx512State = 0xE0U;

unsigned int operating_system_saved_state() {
  unsigned int low = 0;
  unsigned int high = 0;
  __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return low;
}

// The newest build this processor runs: v3 needs the features -march=x86-64-v3
// lets the compiler use beyond the baseline's (the SSE3 and SSE4 generations
// come with every processor that has these), v4 those of -march=x86-64-v4
// beyond v3's; each with the operating system saving the registers.
InstructionSet newest_instruction_set() {
  unsigned int a = 0;
  unsigned int b = 0;
  unsigned int c = 0;
  unsigned int d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0) {
    return InstructionSet::x86_64;  // GCOVR_EXCL_LINE: no x86-64 lacks leaf 1; glibc refuses one
  }
  const unsigned int leaf1 = bit_FMA | bit_MOVBE | bit_OSXSAVE | bit_AVX | bit_F16C;
  if ((c & leaf1) != leaf1) {
    return InstructionSet::x86_64;
  }
  const unsigned int saved = operating_system_saved_state();
  if ((saved & kAvxState) != kAvxState) {
    return InstructionSet::x86_64;  // GCOVR_EXCL_LINE: only an OS that does not save AVX state
  }
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) {
    return InstructionSet::x86_64;
  }
  const unsigned int leaf7 = b;
  if ((leaf7 & (bit_AVX2 | bit_BMI | bit_BMI2)) != (bit_AVX2 | bit_BMI | bit_BMI2) ||
      __get_cpuid(0x80000001U, &a, &b, &c, &d) == 0 || (c & bit_LZCNT) == 0) {
    return InstructionSet::x86_64;
  }
  const unsigned int avx512 =
      bit_AVX512F | bit_AVX512BW | bit_AVX512CD | bit_AVX512DQ | bit_AVX512VL;
  if ((leaf7 & avx512) != avx512 || (saved & kAvx512State) != kAvx512State) {
    return InstructionSet::x86_64_v3;
  }
  return InstructionSet::x86_64_v4;
}

// Both read once, when the module is loaded. Neither initialiser can throw
// (cpuid, xgetbv and a table look-up), whatever their declarations say.
const InstructionSet newest = newest_instruction_set();  // NOLINT(cert-err58-cpp)
const Arithmetic* active_build = &arithmetic(newest);    // NOLINT(cert-err58-cpp)

}  // namespace

const Arithmetic& arithmetic(InstructionSet set) {
  switch (set) {
    case InstructionSet::x86_64_v3:
      return x86_64_v3::kArithmetic;
    case InstructionSet::x86_64_v4:
      return x86_64_v4::kArithmetic;
    case InstructionSet::x86_64:
      break;
  }
  return x86_64::kArithmetic;
}

std::string_view instruction_set_name(InstructionSet set) {
  switch (set) {
    case InstructionSet::x86_64_v3:
      return "x86-64-v3";
    case InstructionSet::x86_64_v4:
      return "x86-64-v4";
    case InstructionSet::x86_64:
      break;
  }
  return "x86-64";
}

// The builds are in the order of kInstructionSets, each processor feature
// set a superset of the one before.
bool instruction_set_supported(InstructionSet set) {
  return static_cast<int>(set) <= static_cast<int>(newest);
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

const Arithmetic& active_arithmetic() {
  return *active_build;
}

}  // namespace sfqp
