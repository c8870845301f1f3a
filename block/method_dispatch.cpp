// Method dispatch. Every outcome is a method run or an error status; the call
// always returns normally.
#include "block/method_dispatch.h"

#include "block/block_methods.h"

namespace sfqp::block {

namespace {

constexpr std::int32_t kFirstMethodCode = 101;
constexpr std::uint32_t kMethodCodeSpan = 44;  // codes 101 to 145
constexpr int kOutputTaskMarker = -2;

}  // namespace

void dispatch_method(SimStruct* S, std::optional<std::int32_t> code) {
  // One unsigned comparison keeps every code below 101 or above 145 out.
  if (!code || static_cast<std::uint32_t>(*code) - static_cast<std::uint32_t>(kFirstMethodCode) >
                   kMethodCodeSpan) {
    ssSetErrorStatus(S, kInvalidFlagMessage);
    return;
  }
  const int port = ssGetHostArgument(S);
  const ssMdlInfo* info = ssGetMdlInfoPtr(S);
  const SimStructMethods& methods = S->methods;
  const SimStructMethods2& methods2 = S->methods2;
  const bool dimension_records = (ssGetFlags(S) & kFlagDimensionRecords) != 0;

  // A slot's method with its arguments, or the slot's "Unexpected call" text.
  const auto run = [S](auto method, const char* unexpected, auto... arguments) {
    if (method != nullptr) {
      method(S, arguments...);
    } else {
      ssSetErrorStatus(S, unexpected);
    }
  };

  switch (*code) {
    case 101:
      mdlInitializeSampleTimes(S);
      return;
    case 103:
      ssSetErrorStatus(S, kVariableHitMessage);
      return;
    case 104:
      mdlOutputs(S, port == kOutputTaskMarker ? kOutputTaskMarker : 0);
      return;
    case 107:
      return;
    case 108:
      ssSetErrorStatus(S, kZeroCrossingsMessage);
      return;
    case 111:
      run(methods.mdlSetWorkWidths, "Unexpected call to mdlSetWorkWidths");
      return;
    case 112:
      run(methods.mdlCheckParameters, "Unexpected call to mdlCheckParameters");
      return;
    case 113:
      run(methods.mdlSetInputPortDataType, "Unexpected call to mdlSetInputPortDataType", port,
          info->proposedValue);
      return;
    case 114:
      run(methods.mdlSetOutputPortDataType, "Unexpected call to mdlSetOutputPortDataType", port,
          info->proposedValue);
      return;
    case 115:
      run(dimension_records ? nullptr : methods.mdlSetInputPortWidthOrDims.width,
          "Unexpected call to mdlSetInputPortWidth", port, info->proposedValue);
      return;
    case 116:
      run(dimension_records ? nullptr : methods.mdlSetOutputPortWidthOrDims.width,
          "Unexpected call to mdlSetOutputPortWidth", port, info->proposedValue);
      return;
    case 120:
      run(methods.mdlSetInputPortComplexSignal, "Unexpected call to mdlSetInputPortComplexSignal",
          port, info->proposedValue);
      return;
    case 121:
      run(methods.mdlSetOutputPortComplexSignal, "Unexpected call to mdlSetOutputPortComplexSignal",
          port, info->proposedValue);
      return;
    case 122:
      run(methods.mdlSetInputPortSampleTime, "Unexpected call to mdlSetInputPortSampleTime", port,
          info->proposedSampleTime, info->proposedOffsetTime);
      return;
    case 123:
      run(methods.mdlSetOutputPortSampleTime, "Unexpected call to mdlSetOutputPortSampleTime", port,
          info->proposedSampleTime, info->proposedOffsetTime);
      return;
    case 126:
      run(dimension_records ? methods.mdlSetInputPortWidthOrDims.dims : nullptr,
          "Unexpected call to mdlSetInputPortDimensionInfo", port, info->proposedDims);
      return;
    case 127:
      run(dimension_records ? methods.mdlSetOutputPortWidthOrDims.dims : nullptr,
          "Unexpected call to mdlSetOutputPortDimensionInfo", port, info->proposedDims);
      return;
    case 128:
      run(methods2.mdlSetInputPortFrameData, "Unexpected call to mdlSetInputPortFrameData", port,
          info->proposedValue);
      return;
    case 131:
      run(methods2.mdlSetDefaultPortDimensionInfo,
          "Unexpected call to mdlSetDefaultPortDimensionInfo");
      return;
    case 132:
      run(methods2.mdlSetDefaultPortDataTypes, "Unexpected call to mdlSetDefaultPortDataTypes");
      return;
    case 133:
      run(methods2.mdlSetDefaultPortComplexSignals,
          "Unexpected call to mdlSetDefaultPortComplexSignals");
      return;
    case 142:
      run(methods2.mdlInitializePropagationPass, "Unexpected call to mdlInitializePropagationPass",
          port);
      return;
    case 144:
      ssSetErrorStatus(S, "Unexpected call to mdlGetSimState (MDL_SIM_STATE not defined)");
      return;
    case 145:
      ssSetErrorStatus(S, "Unexpected call to mdlSetSimState (MDL_SIM_STATE not defined)");
      return;
    default:
      ssSetErrorStatus(S, kInvalidFlagMessage);
      return;
  }
}

}  // namespace sfqp::block
