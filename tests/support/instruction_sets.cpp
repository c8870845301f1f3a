#include "tests/support/instruction_sets.h"

namespace sfqp::test {

void EachInstructionSet::SetUp() {
  if (!use_instruction_set(GetParam())) {
    GTEST_SKIP() << "this processor cannot run the " << instruction_set_name(GetParam())
                 << " build";
  }
}

void EachInstructionSet::TearDown() {
  use_instruction_set(active_before_);
}

std::string instruction_set_test_name(const ::testing::TestParamInfo<InstructionSet>& info) {
  std::string name(instruction_set_name(info.param));
  for (char& c : name) {
    if (c == '-') {
      c = '_';
    }
  }
  return name;
}

}  // namespace sfqp::test

void sfqp::PrintTo(InstructionSet set, std::ostream* out) {
  *out << instruction_set_name(set);
}
