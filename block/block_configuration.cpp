// What the block declares to its host, and the port methods it answers.
//
//   port      dimensions  elements  type       complexity  frame     feedthrough  contiguous
//   input 1   4x16        64        SS_DOUBLE  COMPLEX_NO  FRAME_NO  yes          required
//   input 2-5 scalar      1 each    SS_DOUBLE  COMPLEX_NO  -         yes          required
//   output 1  4x4         16        SS_DOUBLE  COMPLEX_NO  FRAME_NO  -            -
//   output 2  scalar      1         SS_DOUBLE  COMPLEX_NO  -         -            -
//
// One inherited sample time; no states, work vectors, modes, zero crossings or
// dialog parameters; options word 0x20080002.
#include "block/block_methods.h"
#include "solver/block_problem.h"

namespace sfqp::block {

namespace {

constexpr std::uint32_t kOptions = 0x20080002u;

// The dynamic default of a dimension record: nothing known yet.
constexpr DimsInfo_T kDynamicDimensions = {DYNAMICALLY_SIZED, DYNAMICALLY_SIZED, nullptr, nullptr};

// A host that names a port the block lacks gets an error instead of a write
// outside the port array.
constexpr char kNoSuchPortMessage[] = "sfqpsolv: port method called for a port the block lacks";

// The output step reads and writes its ports as doubles: a host that sized a
// buffer for another type would have it overrun, so any other type is refused.
constexpr char kNotDoubleMessage[] = "sfqpsolv: the block's ports carry doubles (SS_DOUBLE) only";

// Whether the ports can carry the proposed type; when not, says so.
bool takes_data_type(SimStruct* S, int type) {
  if (type != SS_DOUBLE) {
    ssSetErrorStatus(S, kNotDoubleMessage);
    return false;
  }
  return true;
}

}  // namespace

void mdlInitializeSizes(SimStruct* S) {
  ssSetNumSFcnParams(S, 0);
  if (ssGetSFcnParamsCount(S) != ssGetNumSFcnParams(S)) {
    return;  // the host reports the mismatch
  }
  ssSetNumContStates(S, 0);
  ssSetNumDiscStates(S, 0);

  if (!ssSetNumInputPorts(S, kBlockInputPorts)) {
    return;
  }
  // Registered first by width, then declared as the matrix it is; the later
  // declaration replaces the earlier.
  DimsInfo_T by_width = kDynamicDimensions;
  by_width.width = kCouplingPortRows;
  ssSetInputPortDimensionInfo(S, 0, &by_width);
  ssSetInputPortMatrixDimensions(S, 0, kCouplingPortRows, kCouplingPortColumns);
  ssSetInputPortFrameData(S, 0, FRAME_NO);
  ssSetInputPortDataType(S, 0, SS_DOUBLE);
  ssSetInputPortComplexSignal(S, 0, COMPLEX_NO);
  ssSetInputPortDirectFeedThrough(S, 0, 1);
  ssSetInputPortRequiredContiguous(S, 0, 1);
  for (int port = 1; port < kBlockInputPorts; ++port) {
    ssSetInputPortWidth(S, port, 1);
    ssSetInputPortDataType(S, port, SS_DOUBLE);
    ssSetInputPortComplexSignal(S, port, COMPLEX_NO);
    ssSetInputPortDirectFeedThrough(S, port, 1);
    ssSetInputPortRequiredContiguous(S, port, 1);
  }

  if (!ssSetNumOutputPorts(S, kBlockOutputPorts)) {
    return;
  }
  by_width = kDynamicDimensions;
  by_width.width = kCommandPortRows;
  ssSetOutputPortDimensionInfo(S, 0, &by_width);
  ssSetOutputPortMatrixDimensions(S, 0, kCommandPortRows, kCommandPortColumns);
  ssSetOutputPortFrameData(S, 0, FRAME_NO);
  ssSetOutputPortDataType(S, 0, SS_DOUBLE);
  ssSetOutputPortComplexSignal(S, 0, COMPLEX_NO);
  ssSetOutputPortWidth(S, 1, 1);
  ssSetOutputPortDataType(S, 1, SS_DOUBLE);
  ssSetOutputPortComplexSignal(S, 1, COMPLEX_NO);

  ssSetNumSampleTimes(S, 1);
  ssSetNumRWork(S, 0);
  ssSetNumIWork(S, 0);
  ssSetNumPWork(S, 0);
  ssSetNumModes(S, 0);
  ssSetNumNonsampledZCs(S, 0);
  ssSetOptions(S, kOptions);
}

void mdlInitializeSampleTimes(SimStruct* S) {
  ssSetSampleTime(S, 0, INHERITED_SAMPLE_TIME);
  ssSetOffsetTime(S, 0, 0.0);
}

void mdlSetInputPortFrameData(SimStruct* S, int port, int frame) {
  if (port < 0 || port >= ssGetNumInputPorts(S)) {
    ssSetErrorStatus(S, kNoSuchPortMessage);
    return;
  }
  ssSetInputPortFrameData(S, port, frame);
}

// Both data-type methods set port 1 whichever port the host names: the block
// has one matrix port each way, and the scalars keep their declared type. The
// only type either takes is double.
void mdlSetInputPortDataType(SimStruct* S, int, int type) {
  if (ssGetNumInputPorts(S) < 1) {
    ssSetErrorStatus(S, kNoSuchPortMessage);
    return;
  }
  if (!takes_data_type(S, type)) {
    return;
  }
  ssSetInputPortDataType(S, 0, type);
}

void mdlSetOutputPortDataType(SimStruct* S, int, int type) {
  if (ssGetNumOutputPorts(S) < 1) {
    ssSetErrorStatus(S, kNoSuchPortMessage);
    return;
  }
  if (!takes_data_type(S, type)) {
    return;
  }
  ssSetOutputPortDataType(S, 0, type);
}

void mdlSetDefaultPortDataTypes(SimStruct* S) {
  if (ssGetNumInputPorts(S) < 1 || ssGetNumOutputPorts(S) < 1) {
    ssSetErrorStatus(S, kNoSuchPortMessage);
    return;
  }
  ssSetInputPortDataType(S, 0, SS_DOUBLE);
  ssSetOutputPortDataType(S, 0, SS_DOUBLE);
}

void mdlTerminate(SimStruct*) {}

void variable_hit_guard(SimStruct* S) {
  ssSetErrorStatus(S, kVariableHitMessage);
}

void zero_crossings_guard(SimStruct* S) {
  ssSetErrorStatus(S, kZeroCrossingsMessage);
}

namespace {

template <typename Port>
int register_port_count(SimStruct* S, int count, int size_entry, Port*& ports) {
  if (count < 0) {
    return 0;
  }
  Port* records = nullptr;
  if (count > 0) {
    records = static_cast<Port*>(mxCalloc(static_cast<std::size_t>(count), sizeof(Port)));
    if (records == nullptr) {
      return 0;  // refused, record unchanged
    }
  }
  S->sizes[ss_size::kFlags] |= kFlagPortsByCount;
  S->sizes[size_entry] = count;
  if (records != nullptr) {
    ports = records;
  }
  return 1;
}

}  // namespace

int register_input_port_count(void* argument, int count) {
  auto* S = static_cast<SimStruct*>(argument);
  return register_port_count(S, count, ss_size::kNumInputPorts, S->inputPorts);
}

int register_output_port_count(void* argument, int count) {
  auto* S = static_cast<SimStruct*>(argument);
  return register_port_count(S, count, ss_size::kNumOutputPorts, S->outputPorts);
}

}  // namespace sfqp::block
