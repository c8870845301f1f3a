// Runs a parameterised test once for each build of the solver's arithmetic,
// with solve_qp switched to that build for the test's duration. A build this
// processor cannot run is skipped, not failed.
//
//   class GoldenBits : public test::EachInstructionSet {};
//   TEST_P(GoldenBits, ...) { ... solve_qp() runs GetParam()'s build ... }
//   SFQP_FOR_EACH_INSTRUCTION_SET(GoldenBits);
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "solver/instruction_set.h"

namespace sfqp::test {

class EachInstructionSet : public ::testing::TestWithParam<InstructionSet> {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  InstructionSet active_before_ = active_instruction_set();
};

// "x86_64", "x86_64_v3", "x86_64_v4": test names may hold only letters, digits and '_'.
std::string instruction_set_test_name(const ::testing::TestParamInfo<InstructionSet>& info);

}  // namespace sfqp::test

namespace sfqp {
// Names the parameter in GoogleTest's messages.
void PrintTo(InstructionSet set, std::ostream* out);
}  // namespace sfqp

#define SFQP_FOR_EACH_INSTRUCTION_SET(suite)                                            \
  INSTANTIATE_TEST_SUITE_P(Build, suite, ::testing::ValuesIn(::sfqp::kInstructionSets), \
                           ::sfqp::test::instruction_set_test_name)
