// MEX-mode calls of the module, as the command line and the host make them:
// every argument message, the sizes vectors, the host's own record.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "interfaces/host_abi/simstruct.h"
#include "tests/block/module_under_test.h"

namespace sfqp::test {
namespace {

using host::ArrayPtr;
using host::make_empty;
using host::make_scalar;

std::string with_identity(const char* before, const char* after) {
  return std::string(before) + kIdentity + after;
}

const std::string kFlagMessage =
    with_identity("The 4th right hand argument, FLAG, passed to ", " must be an integer");

host::MexCall call_with_flag(const mxArray* flag) {
  const ArrayPtr empty = make_empty();
  return loaded_module()->call(1, {empty.get(), empty.get(), empty.get(), flag});
}

TEST(MexModeArguments, TooFewRightHandArguments) {
  const ArrayPtr empty = make_empty();
  for (int count = 0; count < 4; ++count) {
    const std::vector<const mxArray*> arguments(static_cast<std::size_t>(count), empty.get());
    const auto call = loaded_module()->call(1, arguments);
    EXPECT_EQ(call.error,
              with_identity("", " must be called with at least 4 right hand arguments"));
    EXPECT_EQ(call.outputs[0], nullptr);
  }
}

TEST(MexModeArguments, TooManyLeftHandArguments) {
  const ArrayPtr empty = make_empty();
  const ArrayPtr zero = make_scalar(0.0);
  const auto call = loaded_module()->call(2, {empty.get(), empty.get(), empty.get(), zero.get()});
  EXPECT_EQ(call.error, with_identity("", " called with too many left hand arguments"));
  EXPECT_EQ(call.outputs[0], nullptr);
}

TEST(MexModeArguments, FlagMustBeOneRealDoubleInteger) {
  const double two[2] = {0.0, 0.0};
  const double imaginary[1] = {0.0};
  const double real[1] = {0.0};
  const std::int32_t int_zero[1] = {0};
  const float single_zero[1] = {0.0f};
  std::vector<ArrayPtr> flags;
  flags.push_back(host::make_double(1, 2, two));
  flags.push_back(host::make_double(2, 1, two));
  flags.push_back(make_empty());
  flags.push_back(host::make_complex(1, 1, real, imaginary));
  flags.push_back(host::make_string("0"));
  // Numeric but not double: four bytes that must not be read as eight.
  flags.push_back(host::make_int32(1, 1, int_zero));
  flags.push_back(host::make_single(1, 1, single_zero));
  for (double value :
       {0.5, -0.25, std::nan(""), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(), 2147483648.0, -2147483649.0, 1e300}) {
    flags.push_back(make_scalar(value));
  }
  for (std::size_t i = 0; i < flags.size(); ++i) {
    SCOPED_TRACE(i);
    const auto call = call_with_flag(flags[i].get());
    EXPECT_EQ(call.error, kFlagMessage);
    EXPECT_EQ(call.outputs[0], nullptr);
  }
  const auto null_flag = call_with_flag(nullptr);
  EXPECT_EQ(null_flag.error, kFlagMessage);
}

TEST(MexModeArguments, FlagOtherThanZeroIsInvalid) {
  for (double value : {3.0, -1.0, 1.0, 2147483647.0, -2147483648.0}) {
    const ArrayPtr flag = make_scalar(value);
    EXPECT_EQ(call_with_flag(flag.get()).error, with_identity("Invalid flag passed to ", ""))
        << value;
  }
  // Negative zero is the integer 0.
  const ArrayPtr negative_zero = make_scalar(-0.0);
  EXPECT_EQ(call_with_flag(negative_zero.get()).error, std::nullopt);
}

TEST(MexModeSizes, FourArgumentsGiveTheBlockSizes) {
  const ArrayPtr empty = make_empty();
  const ArrayPtr zero = make_scalar(0.0);
  for (int nlhs : {0, 1}) {
    const auto call =
        loaded_module()->call(nlhs, {empty.get(), empty.get(), empty.get(), zero.get()});
    ASSERT_EQ(call.error, std::nullopt);
    std::vector<double> expected(40, 0.0);
    expected[2] = 2;
    expected[3] = 5;
    expected[6] = 1;
    expected[19] = 8480229;
    expected[23] = 537403394;  // 0x20082002: the options word with bit 13
    expected[31] = 2;
    EXPECT_EQ(sizes_of(call.outputs[0].get()), expected);
  }
}

TEST(MexModeSizes, DialogParameterStopsTheDeclarations) {
  const ArrayPtr empty = make_empty();
  const ArrayPtr zero = make_scalar(0.0);
  const ArrayPtr parameter = make_scalar(7.0);
  const auto call = loaded_module()->call(
      1, {empty.get(), empty.get(), empty.get(), zero.get(), parameter.get()});
  ASSERT_EQ(call.error, std::nullopt);
  std::vector<double> expected(40, 0.0);
  expected[19] = 8480229;
  expected[23] = 8192;
  EXPECT_EQ(sizes_of(call.outputs[0].get()), expected);
}

TEST(MexModeSizes, SecondArgumentThatIsNoHostRecordGivesAFreshRecord) {
  // Three rows that are not the host's handle: wrong version, halves with no
  // 32-bit integer part, a class other than double, or no columns at all.
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<std::array<double, 3>> handles = {{1.0, 2.0, 8480228.0},
                                                      {nan, 0.0, 8480229.0},
                                                      {0.0, inf, 8480229.0},
                                                      {4294967296.0, 0.0, 8480229.0},
                                                      {0.0, -2147483649.0, 8480229.0},
                                                      {0.0, 0.0, 8480229.0},
                                                      {1.0, 2.0, nan}};
  std::vector<ArrayPtr> arguments;
  for (const auto& handle : handles) {
    arguments.push_back(host::make_double(3, 1, handle));
  }
  const std::int32_t int_handle[3] = {1, 2, 8480229};
  arguments.push_back(host::make_int32(3, 1, int_handle));
  arguments.push_back(host::make_double(3, 0));
  const ArrayPtr empty = make_empty();
  const ArrayPtr zero = make_scalar(0.0);
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    SCOPED_TRACE(i);
    const auto call =
        loaded_module()->call(1, {empty.get(), arguments[i].get(), empty.get(), zero.get()});
    ASSERT_EQ(call.error, std::nullopt);
    const auto sizes = sizes_of(call.outputs[0].get());
    ASSERT_EQ(sizes.size(), 40u);
    EXPECT_EQ(sizes[3], 5);
    EXPECT_EQ(sizes[31], 2);  // declared by count through the module's own registration
  }
}

// --- The host's own record -------------------------------------------------

std::string name_mismatch(const std::string& model_name) {
  return "S-function name mismatch. Name in source is \"#define S_FUNCTION_NAME sfqpsolv\", "
         "whereas name of the S-function MEX file is \"" +
         model_name + "\". The source needs to be updated";
}

std::optional<std::string> set_up_error(const std::string& model_name) {
  host::Model model;
  host::BlockOptions options;
  options.model_name = model_name;
  try {
    model.add_block(module_path(), std::move(options));
  } catch (const host::EngineError& error) {
    return error.module_text();
  }
  return std::nullopt;
}

TEST(MexModeHostRecord, ModelNameMustBeTheBlockName) {
  for (const char* name : {"sfqpsol", "sfqpsolvx", "abc", "", "SFQPSOLV"}) {
    EXPECT_EQ(set_up_error(name), name_mismatch(name)) << name;
  }
  EXPECT_EQ(set_up_error("sfqpsolv"), std::nullopt);
}

TEST(MexModeHostRecord, ShortNameIsNotReadPastItsEnd) {
  // A name in a block of exactly its own size: a nine-byte comparison would
  // read past it (and the address sanitizer would say so).
  const auto name = std::make_unique<char[]>(4);
  std::memcpy(name.get(), "abc", 4);
  host::Model model;
  host::Block& block = model.add_block(module_path(), declared_only());
  SimStruct* S = block.record();
  S->modelName = name.get();
  const std::array<double, 3> handle = host::record_handle(S);
  const ArrayPtr handle_array = host::make_double(3, 1, handle);
  const ArrayPtr empty = make_empty();
  const ArrayPtr zero = make_scalar(0.0);
  const auto call =
      loaded_module()->call(1, {empty.get(), handle_array.get(), empty.get(), zero.get()});
  EXPECT_EQ(call.error, name_mismatch("abc"));
}

TEST(MexModeHostRecord, LongNameGivesATruncatedMessage) {
  const std::string name(300, 'n');
  const std::string full = name_mismatch(name);
  EXPECT_EQ(set_up_error(name), full.substr(0, 255));
}

TEST(MexModeHostRecord, MethodsGoInTheirSlotsAndNoOthers) {
  host::Model model;
  host::Block& block = model.add_block(module_path(), declared_only());
  const SimStruct* S = block.record();
  const SimStructMethods& m = S->methods;
  const SimStructMethods2& m2 = S->methods2;
  EXPECT_NE(m.mdlInitializeSizes, nullptr);
  EXPECT_NE(m.mdlInitializeSampleTimes, nullptr);
  EXPECT_NE(m.mdlGetTimeOfNextVarHit, nullptr);
  EXPECT_NE(m.mdlOutputs, nullptr);
  EXPECT_NE(m.mdlTerminate, nullptr);
  EXPECT_NE(m.mdlZeroCrossings, nullptr);
  EXPECT_NE(m.mdlSetInputPortDataType, nullptr);
  EXPECT_NE(m.mdlSetOutputPortDataType, nullptr);
  EXPECT_NE(m2.mdlSetDefaultPortDataTypes, nullptr);
  EXPECT_NE(m2.mdlSetInputPortFrameData, nullptr);

  EXPECT_EQ(m.mdlSetWorkWidths, nullptr);
  EXPECT_EQ(m.mdlCheckParameters, nullptr);
  EXPECT_EQ(m.mdlSetInputPortWidthOrDims.width, nullptr);
  EXPECT_EQ(m.mdlSetOutputPortWidthOrDims.width, nullptr);
  EXPECT_EQ(m.mdlSetInputPortComplexSignal, nullptr);
  EXPECT_EQ(m.mdlSetOutputPortComplexSignal, nullptr);
  EXPECT_EQ(m.mdlSetInputPortSampleTime, nullptr);
  EXPECT_EQ(m.mdlSetOutputPortSampleTime, nullptr);
  EXPECT_EQ(m2.mdlSetDefaultPortDimensionInfo, nullptr);
  EXPECT_EQ(m2.mdlSetDefaultPortComplexSignals, nullptr);
  EXPECT_EQ(m2.mdlInitializePropagationPass, nullptr);
}

TEST(MexModeHostRecord, GuardRoutinesSetTheirTexts) {
  host::Model model;
  host::Block& block = model.add_block(module_path(), declared_only());
  SimStruct* S = block.record();
  S->mdlInfo->flags = kMdlInfoFlagClearedByErrorStatus;
  S->methods.mdlGetTimeOfNextVarHit(S);
  EXPECT_STREQ(S->errorStatus,
               "To have a variable sample time, you must define MDL_GET_TIME_OF_NEXT_VAR_HIT and "
               "add a mdlGetTimeOfNextVarHit routine");
  EXPECT_EQ(S->mdlInfo->flags & kMdlInfoFlagClearedByErrorStatus, 0u);
  S->methods.mdlZeroCrossings(S);
  EXPECT_STREQ(S->errorStatus,
               "To have nonsampled zero crossings, you must define MDL_ZERO_CROSSINGS and have a "
               "mdlZeroCrossings routine");
  S->errorStatus = nullptr;
  S->methods.mdlTerminate(S);
  EXPECT_EQ(S->errorStatus, nullptr);
}

TEST(MexModeHostRecord, VersionAndSizesAreTheRecords) {
  host::Model model;
  host::Block& block = model.add_block(module_path(), declared_only());
  const SimStruct* S = block.record();
  EXPECT_EQ(S->sizes[19], 8480229);
  // Bit 13 stays set in the record.
  EXPECT_EQ(static_cast<std::uint32_t>(S->sizes[23]), 0x20082002u);
  EXPECT_EQ(block.sizes()[23], 537403394.0);
}

TEST(MexModeHostRecord, ServiceEntryIsCalledOnlyWithTheReferenceField) {
  host::Model model;
  const host::Block& without = model.add_block(module_path(), declared_only());
  EXPECT_TRUE(without.service_requests().empty());
  const host::Block& with = model.add_block(module_path(), [] {
    host::BlockOptions options = declared_only();
    options.host_reference = true;
    return options;
  }());
  ASSERT_EQ(with.service_requests().size(), 1u);
  EXPECT_EQ(with.service_requests()[0].request, 280);
  EXPECT_EQ(with.service_requests()[0].argument, 1);
}

}  // namespace
}  // namespace sfqp::test
