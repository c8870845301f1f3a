// The choice of the arithmetic's build: names, what the processor runs, and
// switching. That every build gives the same bits is shown by the golden and
// reference suites, which run in each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#if defined(__linux__)
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "solver/instruction_set.h"

namespace sfqp::test {
namespace {

#if defined(__x86_64__)
constexpr InstructionSet kOldest = InstructionSet::x86_64;
#else
constexpr InstructionSet kOldest = InstructionSet::portable;
#endif

TEST(InstructionSet, NamesAreThoseOfMarch) {
#if defined(__x86_64__)
  EXPECT_EQ(instruction_set_name(InstructionSet::x86_64), "x86-64");
  EXPECT_EQ(instruction_set_name(InstructionSet::x86_64_v3), "x86-64-v3");
  EXPECT_EQ(instruction_set_name(InstructionSet::x86_64_v4), "x86-64-v4");
#else
  EXPECT_EQ(instruction_set_name(InstructionSet::portable), "portable");
  EXPECT_FALSE(instruction_set_named("x86-64").has_value());
#endif
  for (const InstructionSet set : kInstructionSets) {
    EXPECT_EQ(instruction_set_named(instruction_set_name(set)), set);
    EXPECT_EQ(arithmetic(set).instruction_set, set);
  }
  for (const char* name : {"", "x86-64-v2", "x86-64-v5", "X86-64", "x86_64", "x86-64 "}) {
    EXPECT_FALSE(instruction_set_named(name).has_value()) << '"' << name << '"';
  }
}

TEST(InstructionSet, TheNewestSupportedIsActiveAndSwitchingIsChecked) {
  ASSERT_TRUE(instruction_set_supported(kOldest));
  InstructionSet newest = kOldest;
  bool older_supported = true;
  for (const InstructionSet set : kInstructionSets) {
    // Support is never broken by an older build that the processor lacks.
    EXPECT_TRUE(older_supported || !instruction_set_supported(set))
        << ::testing::PrintToString(set);
    older_supported = instruction_set_supported(set);
    if (older_supported) {
      newest = set;
    }
  }
  EXPECT_EQ(active_instruction_set(), newest);
  for (const InstructionSet set : kInstructionSets) {
    EXPECT_EQ(use_instruction_set(set), instruction_set_supported(set));
    EXPECT_EQ(active_instruction_set(), instruction_set_supported(set) ? set : newest);
  }
  EXPECT_TRUE(use_instruction_set(newest));
}

// Under an emulated processor (tests/core/CMakeLists.txt runs this program
// under qemu-x86_64 with processor models older than this machine's), the
// build that the model's cpuid leads to is the one named in
// SFQP_EXPECTED_INSTRUCTION_SET: a processor without a feature of a build must
// never have it chosen, one with them all must.
TEST(InstructionSet, TheEmulatedProcessorGetsItsBuild) {
  const char* expected = std::getenv("SFQP_EXPECTED_INSTRUCTION_SET");
  if (expected == nullptr) {
    GTEST_SKIP() << "not run under an emulated processor model";
  }
  const std::optional<InstructionSet> set = instruction_set_named(expected);
  ASSERT_TRUE(set.has_value()) << expected;
  EXPECT_EQ(instruction_set_name(active_instruction_set()), expected);
  for (const InstructionSet other : kInstructionSets) {
    EXPECT_EQ(instruction_set_supported(other), static_cast<int>(other) <= static_cast<int>(*set))
        << ::testing::PrintToString(other);
  }
}

#if defined(__x86_64__)
// The features each build lets the compiler use beyond the one before, as the
// kernel's flag list names them. The kernel names LZCNT "abm" (with POPCNT);
// some kernels and hypervisors leave a flag out of the list although the
// processor runs the instruction, so the list is evidence only of presence.
constexpr const char* kV3Flags[] = {"avx", "avx2", "fma", "bmi1", "bmi2", "movbe", "f16c"};
constexpr const char* kV4Flags[] = {"avx512f", "avx512bw", "avx512cd", "avx512dq", "avx512vl"};

// The features named in the first "flags" line of /proc/cpuinfo, or nothing
// where there is no such file (Windows outside wine).
std::optional<std::set<std::string>> kernel_flags() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line) && line.rfind("flags", 0) != 0) {
  }
  if (line.rfind("flags", 0) != 0) {
    return std::nullopt;
  }
  std::istringstream words(line.substr(line.find(':') + 1));
  std::set<std::string> flags;
  for (std::string word; words >> word;) {
    flags.insert(word);
  }
  return flags;
}

// What the kernel lists is there: a build whose features it all lists must be
// supported. A flag it leaves out proves nothing (the probe below decides).
TEST(InstructionSet, EveryBuildWhoseFeaturesTheKernelListsIsSupported) {
  const auto flags = kernel_flags();
  if (!flags) {
    GTEST_SKIP() << "no /proc/cpuinfo on this system: the kernel lists no features here";
  }
  auto lists = [&flags](const auto& names) {
    return std::all_of(std::begin(names), std::end(names),
                       [&flags](const char* name) { return flags->count(name) != 0; });
  };
  const bool lzcnt = flags->count("abm") != 0 || flags->count("lzcnt") != 0;
  const bool v3 = lists(kV3Flags) && lzcnt;
  const bool v4 = v3 && lists(kV4Flags);
  if (v3) {
    EXPECT_TRUE(instruction_set_supported(InstructionSet::x86_64_v3));
  }
  if (v4) {
    EXPECT_TRUE(instruction_set_supported(InstructionSet::x86_64_v4));
  }
  for (const auto& [build, listed] :
       {std::pair{InstructionSet::x86_64_v3, v3}, std::pair{InstructionSet::x86_64_v4, v4}}) {
    if (instruction_set_supported(build) && !listed) {
      std::cout << "note: the kernel's flag list lacks a feature of " << instruction_set_name(build)
                << " (for LZCNT \"abm\"), which the processor runs: the probe checks it\n";
    }
  }
}

#if defined(__linux__)
// One instruction of each feature a build needs. Run in a child process: a
// processor (or an operating system that does not save the registers) without
// the feature stops it with SIGILL. LZCNT is checked by its result, because an
// older processor runs its encoding as BSR (lzcnt(1) is 31, bsr(1) is 0).
int run_v3_instructions() {
  unsigned int leading_zeros = 0;
  unsigned int word = 1;
  __asm__ volatile(
      "vxorpd %%ymm0, %%ymm0, %%ymm0\n\t"
      "vfmadd231pd %%ymm0, %%ymm0, %%ymm0\n\t"  // FMA
      "vpermq $0, %%ymm0, %%ymm0\n\t"           // AVX2
      "vcvtph2ps %%xmm0, %%ymm0\n\t"            // F16C
      "andn %%ecx, %%ecx, %%edx\n\t"            // BMI1
      "pdep %%ecx, %%ecx, %%edx\n\t"            // BMI2
      "movbe %1, %%edx\n\t"                     // MOVBE
      "lzcnt %2, %0\n\t"                        // LZCNT
      "vzeroupper"
      : "=r"(leading_zeros)
      : "m"(word), "r"(word)
      : "ecx", "edx", "xmm0", "cc");
  return leading_zeros == 31 ? 0 : 1;
}

// The mask register is named in the clobbers, which needs the function built
// for AVX-512; only the child process calls it.
__attribute__((target("avx512f,avx512bw"))) int run_v4_instructions() {
  __asm__ volatile(
      "vpxorq %%zmm0, %%zmm0, %%zmm0\n\t"   // AVX512F
      "vpconflictd %%zmm0, %%zmm1\n\t"      // AVX512CD
      "vpmullq %%ymm0, %%ymm0, %%ymm1\n\t"  // AVX512DQ with AVX512VL
      "vpcmpeqb %%zmm0, %%zmm0, %%k1\n\t"   // AVX512BW
      "kmovq %%k1, %%rax\n\t"
      "vzeroupper"
      :
      :
      : "rax", "xmm0", "xmm1", "k1", "cc");
  return 0;
}

// Whether the processor runs the instructions: 0 it did, 1 it ran LZCNT as
// BSR, SIGILL it lacks one.
bool processor_runs(int (*instructions)()) {
  const pid_t child = fork();
  if (child == 0) {
    _exit(instructions());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The check that reads cpuid and xgetbv agrees with running the instructions.
TEST(InstructionSet, SupportAgreesWithWhatTheProcessorRuns) {
  const bool v3 = processor_runs(run_v3_instructions);
  const bool v4 = v3 && processor_runs(run_v4_instructions);
  EXPECT_EQ(instruction_set_supported(InstructionSet::x86_64_v3), v3);
  EXPECT_EQ(instruction_set_supported(InstructionSet::x86_64_v4), v4);
}
#else
TEST(InstructionSet, SupportAgreesWithWhatTheProcessorRuns) {
  GTEST_SKIP() << "the probe runs each build's instructions in a child process made by fork, "
                  "which this system lacks; the Linux builds of the same check run it";
}
#endif
#endif

}  // namespace
}  // namespace sfqp::test
