// The choice of the arithmetic's build: names, what the processor runs, and
// switching. That every build gives the same bits is shown by the golden and
// reference suites, which run in each.
#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

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

#if defined(__x86_64__)
// On Linux the kernel lists the processor's features: the check that runs
// cpuid must agree with it.
TEST(InstructionSet, SupportAgreesWithTheKernelsFeatureList) {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line) && line.rfind("flags", 0) != 0) {
  }
  if (line.empty()) {
    GTEST_SKIP() << "no /proc/cpuinfo here";
  }
  std::istringstream words(line.substr(line.find(':') + 1));
  std::string flags = " ";
  for (std::string word; words >> word;) {
    flags += word + " ";
  }
  auto has_all = [&flags](std::initializer_list<const char*> features) {
    bool all = true;
    for (const char* feature : features) {
      all = all && flags.find(std::string(" ") + feature + " ") != std::string::npos;
    }
    return all;
  };
  const bool v3 = has_all({"avx", "avx2", "fma", "bmi1", "bmi2", "movbe", "f16c", "abm"});
  const bool v4 = v3 && has_all({"avx512f", "avx512bw", "avx512cd", "avx512dq", "avx512vl"});
  EXPECT_EQ(instruction_set_supported(InstructionSet::x86_64_v3), v3) << flags;
  EXPECT_EQ(instruction_set_supported(InstructionSet::x86_64_v4), v4) << flags;
}
#endif

}  // namespace
}  // namespace sfqp::test
