// The block record (SimStruct) and its operations, as the module and the host
// stand-in both see them.
//
// The module reaches the record only through the ss* operations below, which
// keep the host's names; the host (our engine, or the MEX-mode path building
// its own record) fills the parts it owns: the root, the model information,
// the port-count registration routines, the dimension service, the port
// signal buffers and the sample-time arrays. One header for both sides, so
// that the record means the same to each.
#pragma once

#include <cstdint>

#include "interfaces/host_abi/host_services.h"

struct SimStruct_tag;
using SimStruct = SimStruct_tag;

// The record version a host passes with its own record and the module writes
// into sizes entry 19: 848 (the record's size in the host ABI the module
// targets) times 10000, plus 229.
inline constexpr std::int32_t kSimStructVersion = 8480229;

// Port attributes, with the host's values.
enum : int { DYNAMICALLY_TYPED = -1, SS_DOUBLE = 0, SS_SINGLE = 1, SS_INT32 = 6 };
enum : int { COMPLEX_INHERITED = -1, COMPLEX_NO = 0, COMPLEX_YES = 1 };
enum : int { FRAME_INHERITED = -1, FRAME_NO = 0, FRAME_YES = 1 };
inline constexpr int DYNAMICALLY_SIZED = -1;
inline constexpr double INHERITED_SAMPLE_TIME = -1.0;

// A port's dimensions: a width, the number of dimensions and their sizes, and
// a link to a further record. The receiver copies what it keeps.
struct DimsInfo_T {
  int width;
  int numDims;
  int* dims;
  DimsInfo_T* nextSigDims;
};

// The 40 size integers, by entry. Entries not named here are the host's.
namespace ss_size {
inline constexpr int kNumContStates = 0;
inline constexpr int kNumDiscStates = 1;
inline constexpr int kNumOutputPorts = 2;
inline constexpr int kNumInputPorts = 3;
inline constexpr int kHostArgument = 4;  // port index of a port method; -2 for outputs
inline constexpr int kNumSampleTimes = 6;
inline constexpr int kNumSFcnParams = 7;
inline constexpr int kNumRWork = 8;
inline constexpr int kNumIWork = 9;
inline constexpr int kNumPWork = 10;
inline constexpr int kFirstCheckWord = 15;  // 15..18, unsigned
inline constexpr int kLastCheckWord = 18;
inline constexpr int kVersion = 19;
inline constexpr int kNumNonsampledZCs = 20;
inline constexpr int kNumModes = 22;
inline constexpr int kOptions = 23;  // unsigned
inline constexpr int kFlags = 31;
inline constexpr int kCount = 40;
}  // namespace ss_size

// Bits of the flags word (sizes entry 31).
inline constexpr std::int32_t kFlagDimensionRecords = 1 << 0;  // port width methods get DimsInfo_T
inline constexpr std::int32_t kFlagPortsByCount = 1 << 1;      // ports declared by count
// The bit of the model information's flags that ssSetErrorStatus clears.
inline constexpr std::uint32_t kMdlInfoFlagClearedByErrorStatus = 1u << 12;

struct InputPortRecord {
  int width;
  int numDims;
  int* dims;  // the host's copy; null when only a width was declared
  int dataType;
  int complexSignal;
  int frameData;
  int directFeedThrough;
  int requiredContiguous;
  const void* signal;  // one contiguous buffer, owned by the host
};

struct OutputPortRecord {
  int width;
  int numDims;
  int* dims;
  int dataType;
  int complexSignal;
  int frameData;
  void* signal;
};

// The host's dimension service: registers a port's dimensions (the host copies
// them). Result 1 when accepted.
struct DimensionService {
  int (*setInputPortDimensionInfo)(SimStruct* S, int port, const DimsInfo_T* dims);
  int (*setOutputPortDimensionInfo)(SimStruct* S, int port, const DimsInfo_T* dims);
};

// The model information, a second host record reached from the block record.
struct ssMdlInfo {
  int simMode;  // first member
  std::uint32_t flags;
  int proposedValue;               // width, data type, complexity or frame setting
  const DimsInfo_T* proposedDims;  // of a dimension call
  double proposedSampleTime;       // of a port sample-time call
  double proposedOffsetTime;
  DimensionService* dimensionService;  // null: matrix declarations are not recorded
  int (*hostService)(SimStruct* S, int request, int argument, void* data);
};

// A port-count registration routine and the argument the host passes to it.
struct PortCountRegistration {
  int (*routine)(void* argument, int count);
  void* argument;
};

using mdlMethod = void (*)(SimStruct* S);
using mdlOutputsMethod = void (*)(SimStruct* S, int tid);
using mdlPortMethod = void (*)(SimStruct* S, int port);
using mdlPortValueMethod = void (*)(SimStruct* S, int port, int value);
using mdlPortDimsMethod = void (*)(SimStruct* S, int port, const DimsInfo_T* dims);
using mdlPortSampleTimeMethod = void (*)(SimStruct* S, int port, double sampleTime,
                                         double offsetTime);

// The width/dimension slot holds whichever method the flags bit 0 selects.
union mdlPortWidthOrDimsMethod {
  mdlPortValueMethod width;
  mdlPortDimsMethod dims;
};

// The host's table of the block's methods.
struct SimStructMethods {
  mdlMethod mdlInitializeSizes;
  mdlMethod mdlInitializeSampleTimes;
  mdlMethod mdlGetTimeOfNextVarHit;
  mdlOutputsMethod mdlOutputs;
  mdlMethod mdlTerminate;
  mdlMethod mdlZeroCrossings;
  mdlMethod mdlSetWorkWidths;
  mdlMethod mdlCheckParameters;
  mdlPortValueMethod mdlSetInputPortDataType;
  mdlPortValueMethod mdlSetOutputPortDataType;
  mdlPortWidthOrDimsMethod mdlSetInputPortWidthOrDims;
  mdlPortWidthOrDimsMethod mdlSetOutputPortWidthOrDims;
  mdlPortValueMethod mdlSetInputPortComplexSignal;
  mdlPortValueMethod mdlSetOutputPortComplexSignal;
  mdlPortSampleTimeMethod mdlSetInputPortSampleTime;
  mdlPortSampleTimeMethod mdlSetOutputPortSampleTime;
};

// The host's second table, for the later methods.
struct SimStructMethods2 {
  mdlPortValueMethod mdlSetInputPortFrameData;
  mdlMethod mdlSetDefaultPortDimensionInfo;
  mdlMethod mdlSetDefaultPortDataTypes;
  mdlMethod mdlSetDefaultPortComplexSignals;
  mdlPortMethod mdlInitializePropagationPass;
};

struct SimStruct_tag {
  const char* modelName;
  const char* path;
  SimStruct* parent;
  SimStruct* root;
  const char* errorStatus;  // meaningful on the root
  std::int32_t sizes[ss_size::kCount];
  ssMdlInfo* mdlInfo;
  PortCountRegistration regNumInputPorts;
  PortCountRegistration regNumOutputPorts;
  int sfcnParamsCount;  // the parameters the host holds for the block
  const mxArray** sfcnParams;
  InputPortRecord* inputPorts;
  OutputPortRecord* outputPorts;
  double* sampleTimes;  // the host's arrays, one entry per sample time
  double* offsetTimes;
  void* hostReference;  // the host's; a fresh record leaves it empty
  SimStructMethods methods;
  SimStructMethods2 methods2;
};

// --- Identity, root, error status ------------------------------------------
inline const char* ssGetModelName(const SimStruct* S) {
  return S->modelName;
}
inline ssMdlInfo* ssGetMdlInfoPtr(const SimStruct* S) {
  return S->mdlInfo;
}

// Stores the address of a static text as the root's error status; the host
// reads it when the method returns.
inline void ssSetErrorStatus(SimStruct* S, const char* message) {
  SimStruct* root = S->root;
  root->errorStatus = message;
  root->mdlInfo->flags &= ~kMdlInfoFlagClearedByErrorStatus;
}

// --- Sizes ---------------------------------------------------------------------
inline void ssSetNumSFcnParams(SimStruct* S, int n) {
  S->sizes[ss_size::kNumSFcnParams] = n;
}
inline int ssGetNumSFcnParams(const SimStruct* S) {
  return S->sizes[ss_size::kNumSFcnParams];
}
inline int ssGetSFcnParamsCount(const SimStruct* S) {
  return S->sfcnParamsCount;
}
inline void ssSetNumContStates(SimStruct* S, int n) {
  S->sizes[ss_size::kNumContStates] = n;
}
inline void ssSetNumDiscStates(SimStruct* S, int n) {
  S->sizes[ss_size::kNumDiscStates] = n;
}
inline void ssSetNumSampleTimes(SimStruct* S, int n) {
  S->sizes[ss_size::kNumSampleTimes] = n;
}
inline int ssGetNumSampleTimes(const SimStruct* S) {
  return S->sizes[ss_size::kNumSampleTimes];
}
inline void ssSetNumRWork(SimStruct* S, int n) {
  S->sizes[ss_size::kNumRWork] = n;
}
inline void ssSetNumIWork(SimStruct* S, int n) {
  S->sizes[ss_size::kNumIWork] = n;
}
inline void ssSetNumPWork(SimStruct* S, int n) {
  S->sizes[ss_size::kNumPWork] = n;
}
inline void ssSetNumModes(SimStruct* S, int n) {
  S->sizes[ss_size::kNumModes] = n;
}
inline void ssSetNumNonsampledZCs(SimStruct* S, int n) {
  S->sizes[ss_size::kNumNonsampledZCs] = n;
}
inline void ssSetOptions(SimStruct* S, std::uint32_t options) {
  S->sizes[ss_size::kOptions] = static_cast<std::int32_t>(options);
}
inline std::uint32_t ssGetOptions(const SimStruct* S) {
  return static_cast<std::uint32_t>(S->sizes[ss_size::kOptions]);
}
inline std::int32_t ssGetFlags(const SimStruct* S) {
  return S->sizes[ss_size::kFlags];
}
inline int ssGetHostArgument(const SimStruct* S) {
  return S->sizes[ss_size::kHostArgument];
}

// --- Ports -------------------------------------------------------------------
// The registration routine decides; result 1 when the count is accepted.
inline int ssSetNumInputPorts(SimStruct* S, int n) {
  return S->regNumInputPorts.routine(S->regNumInputPorts.argument, n);
}
inline int ssSetNumOutputPorts(SimStruct* S, int n) {
  return S->regNumOutputPorts.routine(S->regNumOutputPorts.argument, n);
}
inline int ssGetNumInputPorts(const SimStruct* S) {
  return S->sizes[ss_size::kNumInputPorts];
}
inline int ssGetNumOutputPorts(const SimStruct* S) {
  return S->sizes[ss_size::kNumOutputPorts];
}

// Dimension registrations go through the host's dimension service; without
// one nothing is recorded (result 0).
inline int ssSetInputPortDimensionInfo(SimStruct* S, int port, const DimsInfo_T* dims) {
  const DimensionService* service = S->mdlInfo->dimensionService;
  return service != nullptr ? service->setInputPortDimensionInfo(S, port, dims) : 0;
}
inline int ssSetOutputPortDimensionInfo(SimStruct* S, int port, const DimsInfo_T* dims) {
  const DimensionService* service = S->mdlInfo->dimensionService;
  return service != nullptr ? service->setOutputPortDimensionInfo(S, port, dims) : 0;
}
inline int ssSetInputPortMatrixDimensions(SimStruct* S, int port, int rows, int columns) {
  int sizes[2] = {rows, columns};
  const DimsInfo_T dims = {rows * columns, 2, sizes, nullptr};
  return ssSetInputPortDimensionInfo(S, port, &dims);
}
inline int ssSetOutputPortMatrixDimensions(SimStruct* S, int port, int rows, int columns) {
  int sizes[2] = {rows, columns};
  const DimsInfo_T dims = {rows * columns, 2, sizes, nullptr};
  return ssSetOutputPortDimensionInfo(S, port, &dims);
}

inline void ssSetInputPortWidth(SimStruct* S, int port, int width) {
  S->inputPorts[port].width = width;
}
inline void ssSetOutputPortWidth(SimStruct* S, int port, int width) {
  S->outputPorts[port].width = width;
}
inline int ssGetInputPortWidth(const SimStruct* S, int port) {
  return S->inputPorts[port].width;
}
inline int ssGetOutputPortWidth(const SimStruct* S, int port) {
  return S->outputPorts[port].width;
}
inline void ssSetInputPortFrameData(SimStruct* S, int port, int frame) {
  S->inputPorts[port].frameData = frame;
}
inline void ssSetOutputPortFrameData(SimStruct* S, int port, int frame) {
  S->outputPorts[port].frameData = frame;
}
inline void ssSetInputPortDataType(SimStruct* S, int port, int type) {
  S->inputPorts[port].dataType = type;
}
inline void ssSetOutputPortDataType(SimStruct* S, int port, int type) {
  S->outputPorts[port].dataType = type;
}
inline void ssSetInputPortComplexSignal(SimStruct* S, int port, int complexity) {
  S->inputPorts[port].complexSignal = complexity;
}
inline void ssSetOutputPortComplexSignal(SimStruct* S, int port, int complexity) {
  S->outputPorts[port].complexSignal = complexity;
}
inline void ssSetInputPortDirectFeedThrough(SimStruct* S, int port, int feedthrough) {
  S->inputPorts[port].directFeedThrough = feedthrough;
}
inline void ssSetInputPortRequiredContiguous(SimStruct* S, int port, int contiguous) {
  S->inputPorts[port].requiredContiguous = contiguous;
}
inline const void* ssGetInputPortSignal(const SimStruct* S, int port) {
  return S->inputPorts[port].signal;
}
inline void* ssGetOutputPortSignal(const SimStruct* S, int port) {
  return S->outputPorts[port].signal;
}

// --- Sample times --------------------------------------------------------------
inline void ssSetSampleTime(SimStruct* S, int index, double period) {
  S->sampleTimes[index] = period;
}
inline void ssSetOffsetTime(SimStruct* S, int index, double offset) {
  S->offsetTimes[index] = offset;
}
