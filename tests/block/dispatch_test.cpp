// Method calls: every code the host can send, what each runs or reports, and
// the width/dimension cases that flags bit 0 decides.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

#include "interfaces/host_abi/method_codes.h"
#include "interfaces/host_abi/simstruct.h"
#include "tests/block/module_under_test.h"

namespace sfqp::test {
namespace {

constexpr char kInvalid[] = "Invalid flag encountered in simulink";

// What a method the test put into a slot was called with.
struct Sighting {
  int calls = 0;
  int port = 0;
  int value = 0;
  const DimsInfo_T* dims = nullptr;
  double sample_time = 0.0;
  double offset = 0.0;
};
Sighting sighting;

void spy(SimStruct*) {
  ++sighting.calls;
}
void spy_port(SimStruct*, int port) {
  ++sighting.calls;
  sighting.port = port;
}
void spy_value(SimStruct*, int port, int value) {
  ++sighting.calls;
  sighting.port = port;
  sighting.value = value;
}
void spy_dims(SimStruct*, int port, const DimsInfo_T* dims) {
  ++sighting.calls;
  sighting.port = port;
  sighting.dims = dims;
}
void spy_sample_time(SimStruct*, int port, double sample_time, double offset) {
  ++sighting.calls;
  sighting.port = port;
  sighting.sample_time = sample_time;
  sighting.offset = offset;
}

class Dispatch : public ::testing::Test {
 protected:
  host::Block& make(bool dimension_records = false) {
    host::BlockOptions options;
    options.dimension_records = dimension_records;
    host::Block& block = model_.add_block(module_path(), std::move(options));
    sighting = {};
    return block;
  }
  host::Model model_;
};

// The texts for codes whose slots the block leaves empty (or that have none).
std::map<int, std::string> expected_texts() {
  std::map<int, std::string> texts;
  for (int code = 99; code <= 147; ++code) {
    texts[code] = kInvalid;
  }
  texts[103] =
      "To have a variable sample time, you must define MDL_GET_TIME_OF_NEXT_VAR_HIT and add a "
      "mdlGetTimeOfNextVarHit routine";
  texts[108] =
      "To have nonsampled zero crossings, you must define MDL_ZERO_CROSSINGS and have a "
      "mdlZeroCrossings routine";
  const std::map<int, const char*> unexpected = {{111, "mdlSetWorkWidths"},
                                                 {112, "mdlCheckParameters"},
                                                 {115, "mdlSetInputPortWidth"},
                                                 {116, "mdlSetOutputPortWidth"},
                                                 {120, "mdlSetInputPortComplexSignal"},
                                                 {121, "mdlSetOutputPortComplexSignal"},
                                                 {122, "mdlSetInputPortSampleTime"},
                                                 {123, "mdlSetOutputPortSampleTime"},
                                                 {126, "mdlSetInputPortDimensionInfo"},
                                                 {127, "mdlSetOutputPortDimensionInfo"},
                                                 {131, "mdlSetDefaultPortDimensionInfo"},
                                                 {133, "mdlSetDefaultPortComplexSignals"},
                                                 {142, "mdlInitializePropagationPass"}};
  for (const auto& [code, method] : unexpected) {
    texts[code] = std::string("Unexpected call to ") + method;
  }
  texts[144] = "Unexpected call to mdlGetSimState (MDL_SIM_STATE not defined)";
  texts[145] = "Unexpected call to mdlSetSimState (MDL_SIM_STATE not defined)";
  // Codes that run something of the block's: no error.
  for (int code : {101, 104, 107, 113, 114, 128, 132}) {
    texts.erase(code);
  }
  return texts;
}

TEST_F(Dispatch, EveryCodeFrom99To147) {
  host::Block& block = make();
  const auto texts = expected_texts();
  for (int code = 99; code <= 147; ++code) {
    const auto status = block.call_method(code, 0, SS_DOUBLE);
    const auto expected = texts.find(code);
    if (expected == texts.end()) {
      EXPECT_EQ(status, std::nullopt) << code;
    } else {
      EXPECT_EQ(status, expected->second) << code;
    }
  }
}

TEST_F(Dispatch, CodesWithNoIntegerPartAreInvalid) {
  host::Block& block = make();
  const double inf = std::numeric_limits<double>::infinity();
  for (double code :
       {std::nan(""), inf, -inf, 4294967397.0, -4294967195.0, 1e300, 100.9, 145.5e1, -0.5}) {
    EXPECT_EQ(block.call_method(code), kInvalid) << code;
  }
}

TEST_F(Dispatch, MethodCodeArgumentThatIsNotOneDoubleIsInvalid) {
  host::Block& block = make();
  const std::int32_t code[1] = {104};
  const host::ArrayPtr int_code = host::make_int32(1, 1, code);
  const host::ArrayPtr empty = host::make_empty();
  mxArray* plhs[2] = {nullptr, reinterpret_cast<mxArray*>(block.record())};
  const mxArray* const arguments[3] = {int_code.get(), empty.get(), nullptr};
  for (const mxArray* argument : arguments) {
    block.record()->errorStatus = nullptr;
    const mxArray* prhs[4] = {empty.get(), empty.get(), empty.get(), argument};
    EXPECT_EQ(loaded_module()->call_raw(-1, plhs, 4, prhs), std::nullopt);
    EXPECT_STREQ(block.record()->errorStatus, kInvalid);
  }
  // Fewer than four arguments: no method code at all.
  block.record()->errorStatus = nullptr;
  const mxArray* prhs[3] = {empty.get(), empty.get(), empty.get()};
  EXPECT_EQ(loaded_module()->call_raw(-1, plhs, 3, prhs), std::nullopt);
  EXPECT_STREQ(block.record()->errorStatus, kInvalid);
}

TEST_F(Dispatch, FractionalOutputCodeRunsTheOutputMethod) {
  host::Block& block = make();
  StepInputs inputs;
  inputs.coupling[0] = 1.0;
  inputs.target[0] = 0.5;
  set_inputs(block, inputs);
  block.output(0)[0] = 99.0;
  EXPECT_EQ(block.call_method(104.9, kOutputTaskMarker), std::nullopt);
  EXPECT_NE(block.output(0)[0], 99.0);
}

TEST_F(Dispatch, SampleTimesAreSetWithoutTheSlot) {
  host::Block& block = make();
  SimStruct* S = block.record();
  S->methods.mdlInitializeSampleTimes = spy;
  S->sampleTimes[0] = 5.0;
  S->offsetTimes[0] = 2.0;
  EXPECT_EQ(block.call_method(101), std::nullopt);
  EXPECT_EQ(sighting.calls, 0);
  EXPECT_EQ(S->sampleTimes[0], -1.0);
  EXPECT_EQ(S->offsetTimes[0], 0.0);
}

TEST_F(Dispatch, GuardCodesDoNotUseTheirSlots) {
  host::Block& block = make();
  block.record()->methods.mdlGetTimeOfNextVarHit = spy;
  block.record()->methods.mdlZeroCrossings = spy;
  EXPECT_NE(block.call_method(103), std::nullopt);
  EXPECT_NE(block.call_method(108), std::nullopt);
  EXPECT_EQ(sighting.calls, 0);
}

TEST_F(Dispatch, FilledSlotsGetTheHostsArguments) {
  host::Block& block = make();
  SimStruct* S = block.record();
  S->methods.mdlSetWorkWidths = spy;
  S->methods.mdlCheckParameters = spy;
  S->methods2.mdlSetDefaultPortDimensionInfo = spy;
  S->methods2.mdlSetDefaultPortComplexSignals = spy;
  for (int code : {111, 112, 131, 133}) {
    sighting = {};
    EXPECT_EQ(block.call_method(code), std::nullopt) << code;
    EXPECT_EQ(sighting.calls, 1) << code;
  }

  S->methods.mdlSetInputPortComplexSignal = spy_value;
  S->methods.mdlSetOutputPortComplexSignal = spy_value;
  S->methods.mdlSetInputPortWidthOrDims.width = spy_value;
  S->methods.mdlSetOutputPortWidthOrDims.width = spy_value;
  for (int code : {115, 116, 120, 121}) {
    sighting = {};
    EXPECT_EQ(block.call_method(code, 3, 17), std::nullopt) << code;
    EXPECT_EQ(sighting.calls, 1) << code;
    EXPECT_EQ(sighting.port, 3) << code;
    EXPECT_EQ(sighting.value, 17) << code;
  }

  S->methods.mdlSetInputPortSampleTime = spy_sample_time;
  S->methods.mdlSetOutputPortSampleTime = spy_sample_time;
  S->mdlInfo->proposedSampleTime = 0.25;
  S->mdlInfo->proposedOffsetTime = 0.125;
  for (int code : {122, 123}) {
    sighting = {};
    EXPECT_EQ(block.call_method(code, 2), std::nullopt) << code;
    EXPECT_EQ(sighting.port, 2) << code;
    EXPECT_EQ(sighting.sample_time, 0.25) << code;
    EXPECT_EQ(sighting.offset, 0.125) << code;
  }

  S->methods2.mdlInitializePropagationPass = spy_port;
  sighting = {};
  EXPECT_EQ(block.call_method(142, 4), std::nullopt);
  EXPECT_EQ(sighting.calls, 1);
  EXPECT_EQ(sighting.port, 4);
}

TEST_F(Dispatch, WidthCodesOnlyWithoutDimensionRecords) {
  host::Block& block = make(/*dimension_records=*/false);
  SimStruct* S = block.record();
  S->methods.mdlSetInputPortWidthOrDims.width = spy_value;
  S->methods.mdlSetOutputPortWidthOrDims.width = spy_value;
  EXPECT_EQ(block.call_method(126, 0), "Unexpected call to mdlSetInputPortDimensionInfo");
  EXPECT_EQ(block.call_method(127, 0), "Unexpected call to mdlSetOutputPortDimensionInfo");
  EXPECT_EQ(sighting.calls, 0);
}

TEST_F(Dispatch, DimensionCodesOnlyWithDimensionRecords) {
  host::Block& block = make(/*dimension_records=*/true);
  SimStruct* S = block.record();
  S->methods.mdlSetInputPortWidthOrDims.dims = spy_dims;
  S->methods.mdlSetOutputPortWidthOrDims.dims = spy_dims;
  EXPECT_EQ(block.call_method(115, 0), "Unexpected call to mdlSetInputPortWidth");
  EXPECT_EQ(block.call_method(116, 0), "Unexpected call to mdlSetOutputPortWidth");
  EXPECT_EQ(sighting.calls, 0);

  int sizes[2] = {4, 16};
  DimsInfo_T proposed = {64, 2, sizes, nullptr};
  S->mdlInfo->proposedDims = &proposed;
  for (int code : {126, 127}) {
    sighting = {};
    EXPECT_EQ(block.call_method(code, 1), std::nullopt) << code;
    EXPECT_EQ(sighting.calls, 1) << code;
    EXPECT_EQ(sighting.port, 1) << code;
    EXPECT_EQ(sighting.dims, &proposed) << code;
  }
}

TEST_F(Dispatch, ErrorStatusClearsTheModelInformationBit) {
  host::Block& block = make();
  EXPECT_EQ(block.call_method(101), std::nullopt);
  EXPECT_NE(block.record()->mdlInfo->flags & kMdlInfoFlagClearedByErrorStatus, 0u);
  EXPECT_EQ(block.call_method(100), kInvalid);
  EXPECT_EQ(block.record()->mdlInfo->flags & kMdlInfoFlagClearedByErrorStatus, 0u);
}

TEST_F(Dispatch, MethodCallWithoutARecordDoesNothing) {
  const host::ArrayPtr code = host::make_scalar(104.0);
  const host::ArrayPtr empty = host::make_empty();
  const auto call = loaded_module()->call(-1, {empty.get(), empty.get(), empty.get(), code.get()});
  EXPECT_EQ(call.error, std::nullopt);
}

}  // namespace
}  // namespace sfqp::test
