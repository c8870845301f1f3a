// The module's own records: the port-count registration and the record a
// MEX-mode call builds when the host brings none. Only a call reaches them in
// the module, so these tests link the block's objects directly.
#include <gtest/gtest.h>

#include "block/block_methods.h"
#include "block/mex_entry.h"
#include "host/runtime/arrays.h"
#include "host/runtime/host_memory.h"

namespace sfqp::test {
namespace {

TEST(PortCountRegistration, NegativeCountIsRefusedAndChangesNothing) {
  host::HostMemory memory;
  const host::HostMemoryScope scope(memory);
  SimStruct S{};
  EXPECT_EQ(block::register_input_port_count(&S, -1), 0);
  EXPECT_EQ(block::register_output_port_count(&S, -2147483647 - 1), 0);
  EXPECT_EQ(S.sizes[ss_size::kFlags], 0);
  EXPECT_EQ(S.sizes[ss_size::kNumInputPorts], 0);
  EXPECT_EQ(S.inputPorts, nullptr);
  EXPECT_EQ(S.outputPorts, nullptr);
  EXPECT_EQ(memory.block_count(), 0u);
}

TEST(PortCountRegistration, ZeroCountIsAcceptedWithoutMemory) {
  host::HostMemory memory;
  const host::HostMemoryScope scope(memory);
  SimStruct S{};
  EXPECT_EQ(block::register_input_port_count(&S, 0), 1);
  EXPECT_EQ(block::register_output_port_count(&S, 0), 1);
  EXPECT_EQ(S.sizes[ss_size::kFlags], kFlagPortsByCount);
  EXPECT_EQ(S.sizes[ss_size::kNumInputPorts], 0);
  EXPECT_EQ(S.sizes[ss_size::kNumOutputPorts], 0);
  EXPECT_EQ(S.inputPorts, nullptr);
  EXPECT_EQ(memory.block_count(), 0u);
}

TEST(PortCountRegistration, PortsComeZeroedFromHostMemory) {
  host::HostMemory memory;
  const host::HostMemoryScope scope(memory);
  SimStruct S{};
  ASSERT_EQ(block::register_input_port_count(&S, 5), 1);
  ASSERT_EQ(block::register_output_port_count(&S, 2), 1);
  EXPECT_EQ(S.sizes[ss_size::kNumInputPorts], 5);
  EXPECT_EQ(S.sizes[ss_size::kNumOutputPorts], 2);
  EXPECT_EQ(memory.block_count(), 2u);
  ASSERT_NE(S.inputPorts, nullptr);
  ASSERT_NE(S.outputPorts, nullptr);
  for (int port = 0; port < 5; ++port) {
    EXPECT_EQ(S.inputPorts[port].width, 0);
    EXPECT_EQ(S.inputPorts[port].signal, nullptr);
  }
  // Every field of the last record is writable: the block was sized for the type.
  S.outputPorts[1].signal = &S;
  EXPECT_EQ(S.outputPorts[1].signal, &S);
}

TEST(FreshRecord, HoldsOnlyWhatTheCallGives) {
  host::HostMemory memory;
  const host::HostMemoryScope scope(memory);
  const host::ArrayPtr empty = host::make_empty();
  const host::ArrayPtr first = host::make_scalar(1.0);
  const host::ArrayPtr second = host::make_string("two");
  const mxArray* prhs[6] = {empty.get(), empty.get(), empty.get(),
                            empty.get(), first.get(), second.get()};
  SimStruct* S = block::create_mex_record(6, prhs);
  ASSERT_NE(S, nullptr);
  EXPECT_EQ(memory.block_count(), 3u);  // record, model information, parameter handles
  EXPECT_EQ(S->root, S);
  EXPECT_EQ(S->parent, nullptr);
  ASSERT_NE(S->mdlInfo, nullptr);
  EXPECT_EQ(S->mdlInfo->simMode, 1);
  EXPECT_EQ(S->mdlInfo->dimensionService, nullptr);
  EXPECT_EQ(S->mdlInfo->hostService, nullptr);
  EXPECT_STREQ(S->modelName, "sfqpsolv");
  EXPECT_EQ(S->path, S->modelName);
  EXPECT_EQ(S->sfcnParamsCount, 2);
  ASSERT_NE(S->sfcnParams, nullptr);
  EXPECT_EQ(S->sfcnParams[0], first.get());
  EXPECT_EQ(S->sfcnParams[1], second.get());
  EXPECT_EQ(S->regNumInputPorts.routine, &block::register_input_port_count);
  EXPECT_EQ(S->regNumInputPorts.argument, S);
  EXPECT_EQ(S->regNumOutputPorts.routine, &block::register_output_port_count);
  EXPECT_EQ(S->regNumOutputPorts.argument, S);
  EXPECT_EQ(S->hostReference, nullptr);
  EXPECT_EQ(S->methods.mdlOutputs, nullptr);
  for (int k = 0; k < ss_size::kCount; ++k) {
    EXPECT_EQ(S->sizes[k], 0) << k;
  }
}

TEST(FreshRecord, FourArgumentsGiveNoParameters) {
  host::HostMemory memory;
  const host::HostMemoryScope scope(memory);
  const host::ArrayPtr empty = host::make_empty();
  const mxArray* prhs[4] = {empty.get(), empty.get(), empty.get(), empty.get()};
  const SimStruct* S = block::create_mex_record(4, prhs);
  EXPECT_EQ(S->sfcnParamsCount, 0);
  EXPECT_EQ(S->sfcnParams, nullptr);
  EXPECT_EQ(memory.block_count(), 2u);
}

}  // namespace
}  // namespace sfqp::test
