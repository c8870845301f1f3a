// The block's declarations as the host sees them after set-up, with and
// without a dimension service, and the port methods the block answers.
#include <gtest/gtest.h>

#include "interfaces/host_abi/simstruct.h"
#include "tests/block/module_under_test.h"

namespace sfqp::test {
namespace {

using host::PortInfo;

void expect_port(const PortInfo& port, int width, std::vector<std::int32_t> dimensions,
                 int frame_data) {
  EXPECT_EQ(port.width, width);
  EXPECT_EQ(port.dimensions, dimensions);
  EXPECT_EQ(port.data_type, SS_DOUBLE);
  EXPECT_EQ(port.complexity, COMPLEX_NO);
  EXPECT_EQ(port.frame_data, frame_data);
}

TEST(Configuration, PortsAsTheHostSeesThem) {
  host::Model model;
  const host::Block& block = model.add_block(module_path());
  ASSERT_EQ(block.input_port_count(), 5);
  ASSERT_EQ(block.output_port_count(), 2);
  expect_port(block.input_port(0), 64, {4, 16}, FRAME_NO);
  for (int port = 1; port < 5; ++port) {
    SCOPED_TRACE(port);
    expect_port(block.input_port(port), 1, {}, FRAME_NO);
  }
  for (int port = 0; port < 5; ++port) {
    EXPECT_EQ(block.input_port(port).direct_feedthrough, 1);
    EXPECT_EQ(block.input_port(port).contiguous, 1);
  }
  expect_port(block.output_port(0), 16, {4, 4}, FRAME_NO);
  expect_port(block.output_port(1), 1, {}, FRAME_NO);
  EXPECT_EQ(block.sample_time(), -1.0);
  EXPECT_EQ(block.offset_time(), 0.0);

  std::array<double, 40> expected{};
  expected[2] = 2;
  expected[3] = 5;
  expected[6] = 1;
  expected[19] = 8480229;
  expected[23] = 537403394;
  expected[31] = 2;  // the engine's registration declares by count, as the module's does
  EXPECT_EQ(block.sizes(), expected);
}

TEST(Configuration, WithoutADimensionServiceOnlyTheMatrixDeclarationsAreMissing) {
  host::Model model;
  host::BlockOptions options;
  options.dimension_service = false;
  options.sizes_only = true;
  const host::Block& block = model.add_block(module_path(), std::move(options));
  ASSERT_EQ(block.input_port_count(), 5);
  ASSERT_EQ(block.output_port_count(), 2);
  expect_port(block.input_port(0), 0, {}, FRAME_NO);
  expect_port(block.output_port(0), 0, {}, FRAME_NO);
  for (int port = 1; port < 5; ++port) {
    expect_port(block.input_port(port), 1, {}, FRAME_NO);
    EXPECT_EQ(block.input_port(port).direct_feedthrough, 1);
    EXPECT_EQ(block.input_port(port).contiguous, 1);
  }
  EXPECT_EQ(block.input_port(0).direct_feedthrough, 1);
  expect_port(block.output_port(1), 1, {}, FRAME_NO);
  EXPECT_EQ(block.sizes()[6], 1);
  EXPECT_EQ(block.sizes()[23], 537403394);
}

TEST(Configuration, EngineRefusesWhatItCannotSimulate) {
  host::Model model;
  host::BlockOptions no_service;
  no_service.dimension_service = false;
  // Input port 1 has no width without the matrix declaration.
  EXPECT_THROW(model.add_block(module_path(), std::move(no_service)), host::EngineError);

  host::BlockOptions with_parameter;
  with_parameter.dialog_parameters.push_back(host::make_scalar(1.0));
  try {
    model.add_block(module_path(), std::move(with_parameter));
    ADD_FAILURE() << "a block given a dialog parameter was accepted";
  } catch (const host::EngineError& error) {
    EXPECT_NE(std::string(error.what()).find("takes 0 dialog parameters, but 1 were given"),
              std::string::npos)
        << error.what();
  }
  EXPECT_EQ(model.block_count(), 0u);
  EXPECT_THROW(host::Module::load(module_path() + ".missing"), host::EngineError);
}

TEST(Configuration, DialogParameterStopsDeclarationsOnTheHostRecord) {
  host::Model model;
  host::BlockOptions options;
  options.dialog_parameters.push_back(host::make_scalar(1.0));
  options.sizes_only = true;
  const host::Block& block = model.add_block(module_path(), std::move(options));
  EXPECT_EQ(block.input_port_count(), 0);
  EXPECT_EQ(block.output_port_count(), 0);
  EXPECT_EQ(block.sizes()[6], 0);
  EXPECT_EQ(block.sizes()[23], 8192);
}

TEST(Configuration, DataTypeMethodsActOnPortOneWhicheverPortIsNamed) {
  host::Model model;
  host::Block& block = model.add_block(module_path());
  // Types the host put on the record itself, for the methods to replace.
  block.record()->inputPorts[0].dataType = SS_INT32;
  block.record()->outputPorts[0].dataType = SS_INT32;
  EXPECT_EQ(block.call_method(113, 3, SS_DOUBLE), std::nullopt);
  EXPECT_EQ(block.input_port(0).data_type, SS_DOUBLE);
  EXPECT_EQ(block.call_method(114, 1, SS_DOUBLE), std::nullopt);
  EXPECT_EQ(block.output_port(0).data_type, SS_DOUBLE);
  block.record()->inputPorts[0].dataType = SS_INT32;
  block.record()->outputPorts[0].dataType = SS_INT32;
  EXPECT_EQ(block.call_method(132), std::nullopt);
  EXPECT_EQ(block.input_port(0).data_type, SS_DOUBLE);
  EXPECT_EQ(block.output_port(0).data_type, SS_DOUBLE);
}

// The output step reads and writes doubles whatever the ports say: a host
// that sized a buffer for another type would have it overrun.
TEST(Configuration, DataTypeMethodsRefuseEveryTypeButDouble) {
  host::Model model;
  host::Block& block = model.add_block(module_path());
  const std::string refused = "sfqpsolv: the block's ports carry doubles (SS_DOUBLE) only";
  for (int code : {113, 114}) {
    for (int port : {0, 1, 3}) {
      for (int type : {int{SS_SINGLE}, int{SS_INT32}, int{DYNAMICALLY_TYPED}, 1000}) {
        EXPECT_EQ(block.call_method(code, port, type), refused)
            << code << " " << port << " " << type;
      }
    }
  }
  for (int port = 0; port < block.input_port_count(); ++port) {
    EXPECT_EQ(block.input_port(port).data_type, SS_DOUBLE) << port;
  }
  for (int port = 0; port < block.output_port_count(); ++port) {
    EXPECT_EQ(block.output_port(port).data_type, SS_DOUBLE) << port;
  }
  // The block still steps after the refusals.
  EXPECT_TRUE(block.output_step());
}

TEST(Configuration, FrameDataGoesToTheNamedPort) {
  host::Model model;
  host::Block& block = model.add_block(module_path());
  EXPECT_EQ(block.call_method(128, 2, FRAME_INHERITED), std::nullopt);
  EXPECT_EQ(block.input_port(2).frame_data, FRAME_INHERITED);
  EXPECT_EQ(block.input_port(0).frame_data, FRAME_NO);
  EXPECT_EQ(block.call_method(128, 0, FRAME_YES), std::nullopt);
  EXPECT_EQ(block.input_port(0).frame_data, FRAME_YES);
  // A port the block lacks is refused, not written.
  for (int port : {5, -1, 1000000}) {
    EXPECT_NE(block.call_method(128, port, FRAME_YES), std::nullopt) << port;
  }
}

TEST(Configuration, PortCountRegistrationOfTheHostDecides) {
  // The host's routine refusing the input count ends the declarations there.
  host::Model model;
  host::Block& block = model.add_block(module_path(), declared_only());
  SimStruct* S = block.record();
  static int refused_with = 0;
  S->regNumInputPorts.routine = [](void*, int count) {
    refused_with = count;
    return 0;
  };
  S->sizes[ss_size::kNumOutputPorts] = 0;
  S->sizes[ss_size::kNumSampleTimes] = 0;
  S->sizes[ss_size::kOptions] = 0;
  const std::array<double, 3> handle = host::record_handle(S);
  const host::ArrayPtr handle_array = host::make_double(3, 1, handle);
  const host::ArrayPtr empty = host::make_empty();
  const host::ArrayPtr zero = host::make_scalar(0.0);
  const auto call =
      loaded_module()->call(1, {empty.get(), handle_array.get(), empty.get(), zero.get()});
  ASSERT_EQ(call.error, std::nullopt);
  EXPECT_EQ(refused_with, 5);
  const auto sizes = sizes_of(call.outputs[0].get());
  ASSERT_EQ(sizes.size(), 40u);
  EXPECT_EQ(sizes[2], 0);  // no outputs declared
  EXPECT_EQ(sizes[6], 0);
  EXPECT_EQ(sizes[23], 8192);
}

}  // namespace
}  // namespace sfqp::test
