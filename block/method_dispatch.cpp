// Method dispatch. Every outcome is a method run or an error status; the call
// always returns normally.
#include "block/method_dispatch.h"

#include "block/block_methods.h"
#include "interfaces/host_abi/method_codes.h"

namespace sfqp::block {

namespace {

constexpr auto kMethodCodeSpan = static_cast<std::uint32_t>(kMethodLastCode - kMethodFirstCode);

}  // namespace

void dispatch_method(SimStruct* S, std::optional<std::int32_t> code) {
  // One unsigned comparison keeps every code below the first or above the last out.
  if (!code || static_cast<std::uint32_t>(*code) - static_cast<std::uint32_t>(kMethodFirstCode) >
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
    case kMethodInitializeSampleTimes:
      mdlInitializeSampleTimes(S);
      return;
    case kMethodGetTimeOfNextVarHit:
      ssSetErrorStatus(S, kVariableHitMessage);
      return;
    case kMethodOutputs:
      mdlOutputs(S, port == kOutputTaskMarker ? kOutputTaskMarker : 0);
      return;
    case kMethodReturnAtOnce:
      return;
    case kMethodZeroCrossings:
      ssSetErrorStatus(S, kZeroCrossingsMessage);
      return;
    case kMethodSetWorkWidths:
      run(methods.mdlSetWorkWidths, "Unexpected call to mdlSetWorkWidths");
      return;
    case kMethodCheckParameters:
      run(methods.mdlCheckParameters, "Unexpected call to mdlCheckParameters");
      return;
    case kMethodSetInputPortDataType:
      run(methods.mdlSetInputPortDataType, "Unexpected call to mdlSetInputPortDataType", port,
          info->proposedValue);
      return;
    case kMethodSetOutputPortDataType:
      run(methods.mdlSetOutputPortDataType, "Unexpected call to mdlSetOutputPortDataType", port,
          info->proposedValue);
      return;
    case kMethodSetInputPortWidth:
      run(dimension_records ? nullptr : methods.mdlSetInputPortWidthOrDims.width,
          "Unexpected call to mdlSetInputPortWidth", port, info->proposedValue);
      return;
    case kMethodSetOutputPortWidth:
      run(dimension_records ? nullptr : methods.mdlSetOutputPortWidthOrDims.width,
          "Unexpected call to mdlSetOutputPortWidth", port, info->proposedValue);
      return;
    case kMethodSetInputPortComplexSignal:
      run(methods.mdlSetInputPortComplexSignal, "Unexpected call to mdlSetInputPortComplexSignal",
          port, info->proposedValue);
      return;
    case kMethodSetOutputPortComplexSignal:
      run(methods.mdlSetOutputPortComplexSignal, "Unexpected call to mdlSetOutputPortComplexSignal",
          port, info->proposedValue);
      return;
    case kMethodSetInputPortSampleTime:
      run(methods.mdlSetInputPortSampleTime, "Unexpected call to mdlSetInputPortSampleTime", port,
          info->proposedSampleTime, info->proposedOffsetTime);
      return;
    case kMethodSetOutputPortSampleTime:
      run(methods.mdlSetOutputPortSampleTime, "Unexpected call to mdlSetOutputPortSampleTime", port,
          info->proposedSampleTime, info->proposedOffsetTime);
      return;
    case kMethodSetInputPortDimensionInfo:
      run(dimension_records ? methods.mdlSetInputPortWidthOrDims.dims : nullptr,
          "Unexpected call to mdlSetInputPortDimensionInfo", port, info->proposedDims);
      return;
    case kMethodSetOutputPortDimensionInfo:
      run(dimension_records ? methods.mdlSetOutputPortWidthOrDims.dims : nullptr,
          "Unexpected call to mdlSetOutputPortDimensionInfo", port, info->proposedDims);
      return;
    case kMethodSetInputPortFrameData:
      run(methods2.mdlSetInputPortFrameData, "Unexpected call to mdlSetInputPortFrameData", port,
          info->proposedValue);
      return;
    case kMethodSetDefaultPortDimensionInfo:
      run(methods2.mdlSetDefaultPortDimensionInfo,
          "Unexpected call to mdlSetDefaultPortDimensionInfo");
      return;
    case kMethodSetDefaultPortDataTypes:
      run(methods2.mdlSetDefaultPortDataTypes, "Unexpected call to mdlSetDefaultPortDataTypes");
      return;
    case kMethodSetDefaultPortComplexSignals:
      run(methods2.mdlSetDefaultPortComplexSignals,
          "Unexpected call to mdlSetDefaultPortComplexSignals");
      return;
    case kMethodInitializePropagationPass:
      run(methods2.mdlInitializePropagationPass, "Unexpected call to mdlInitializePropagationPass",
          port);
      return;
    case kMethodGetSimState:
      ssSetErrorStatus(S, "Unexpected call to mdlGetSimState (MDL_SIM_STATE not defined)");
      return;
    case kMethodSetSimState:
      ssSetErrorStatus(S, "Unexpected call to mdlSetSimState (MDL_SIM_STATE not defined)");
      return;
    default:
      ssSetErrorStatus(S, kInvalidFlagMessage);
      return;
  }
}

}  // namespace sfqp::block
