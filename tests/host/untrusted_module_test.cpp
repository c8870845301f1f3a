// The engine treats a module as untrusted: a module whose MEX-mode call
// returns no sizes vector, the wrong shape or class, raises, throws, or that
// exports no mexFunction, gets an EngineError that names the module and says
// what was wrong, and the model it was added to carries on as before.
#include <gtest/gtest.h>

#include <string>

#include "host/engine/engine.h"
#include "interfaces/host_abi/simstruct.h"

namespace sfqp::test {
namespace {

std::string fake_module(const std::string& way) {
  return std::string(SFQP_FAKE_MODULE_DIR) + "/" + way + SFQP_FAKE_MODULE_SUFFIX;
}

// The text of the EngineError that adding a block of the module throws.
std::string set_up_error(host::Model& model, const std::string& path) {
  const std::size_t blocks = model.block_count();
  try {
    model.add_block(path);
  } catch (const host::EngineError& error) {
    EXPECT_EQ(model.block_count(), blocks) << path;
    return error.what();
  }
  ADD_FAILURE() << path << " was taken up";
  return {};
}

TEST(UntrustedModules, EachMisbehaviourInTheSetUpGetsItsOwnError) {
  const std::pair<const char*, const char*> cases[] = {
      {"no_sizes", "the module returned no sizes vector"},
      {"row_sizes", "the sizes vector is a 1x40 double array, not 40x1 real doubles"},
      {"long_sizes", "the sizes vector is a 41x1 double array, not 40x1 real doubles"},
      {"short_sizes", "the sizes vector is a 39x1 double array, not 40x1 real doubles"},
      {"complex_sizes", "the sizes vector is a 40x1 complex double array, not 40x1 real doubles"},
      {"int32_sizes", "the sizes vector is a 40x1 int32 array, not 40x1 real doubles"},
      {"text_sizes", "the sizes vector is a 1x11 char array, not 40x1 real doubles"},
      {"raises", "fake module: refused"},
      {"throws", "mexFunction ended with an exception other than mexErrMsgTxt"},
      {"many_sample_times",
       "the block declares 1073741824 sample times; the engine takes at most 1024"},
  };
  host::Model model;
  for (const auto& [way, text] : cases) {
    const std::string path = fake_module(way);
    const std::string message = set_up_error(model, path);
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find(text), std::string::npos) << way << ": " << message;
  }
}

TEST(UntrustedModules, AModuleWithoutMexFunctionIsRefused) {
  const std::string path = fake_module("no_entry");
  host::Model model;
  const std::string message = set_up_error(model, path);
  EXPECT_NE(message.find("module " + path + " has no mexFunction"), std::string::npos) << message;
}

TEST(UntrustedModules, AFailedSetUpLeavesNothingALaterBlockTripsOver) {
  host::Model model;
  set_up_error(model, fake_module("no_sizes"));
  set_up_error(model, fake_module("throws"));
  set_up_error(model, fake_module("no_sizes"));  // the same module again
  host::Block& block = model.add_block(host::default_module_path());
  model.step();
  EXPECT_EQ(model.block_count(), 1u);
  EXPECT_EQ(model.steps_taken(), 1);
  EXPECT_EQ(block.output(0).size(), 16u);
}

TEST(UntrustedModules, APortTheBlockLacksIsAnEngineError) {
  host::Model model;
  host::Block& block = model.add_block(host::default_module_path());
  EXPECT_THROW(block.output(2), host::EngineError);
  EXPECT_THROW(block.input(5), host::EngineError);
  EXPECT_THROW(block.input(-1), host::EngineError);
  try {
    block.output(2);
  } catch (const host::EngineError& error) {
    EXPECT_STREQ(error.what(), "the block has no output port 3 (it has 2)");
  }
}

// Counts and dimensions far beyond any block's are refused, as the host's
// routines refuse what they cannot take, instead of taking the host's memory.
TEST(UntrustedModules, HugePortCountsAndDimensionCountsAreRefused) {
  host::Model model;
  host::Block& block = model.add_block(host::default_module_path());
  SimStruct* S = block.record();
  EXPECT_EQ(ssSetNumInputPorts(S, 1 << 30), 0);
  EXPECT_EQ(ssSetNumOutputPorts(S, 1025), 0);
  EXPECT_EQ(block.input_port_count(), 5);
  EXPECT_EQ(block.output_port_count(), 2);
  int dims[2] = {4, 16};
  const DimsInfo_T huge = {64, 1 << 30, dims, nullptr};
  EXPECT_EQ(S->mdlInfo->dimensionService->setInputPortDimensionInfo(S, 0, &huge), 0);
  EXPECT_EQ(block.input_port(0).dimensions, (std::vector<std::int32_t>{4, 16}));
  model.step();
}

TEST(UntrustedModules, AnErrorStatusIsReadNoFurtherThanAMessageNeeds) {
  host::Model model;
  host::Block& block = model.add_block(host::default_module_path());
  static const std::string endless(1 << 20, 'x');
  block.record()->errorStatus = endless.c_str();
  ASSERT_TRUE(block.error_status().has_value());
  EXPECT_EQ(block.error_status()->size(), 1024u);
}

}  // namespace
}  // namespace sfqp::test
