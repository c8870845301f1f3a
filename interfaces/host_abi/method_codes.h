// The host's method codes: with a negative left-hand count, mexFunction runs
// the method the code names on an existing block record. Codes run from 101 to
// 145; those not named here name no method.
#pragma once

#include <cstdint>

namespace sfqp {

inline constexpr std::int32_t kMethodFirstCode = 101;
inline constexpr std::int32_t kMethodLastCode = 145;

inline constexpr std::int32_t kMethodInitializeSampleTimes = 101;
inline constexpr std::int32_t kMethodGetTimeOfNextVarHit = 103;
inline constexpr std::int32_t kMethodOutputs = 104;
inline constexpr std::int32_t kMethodReturnAtOnce = 107;  // the host expects nothing back
inline constexpr std::int32_t kMethodZeroCrossings = 108;
inline constexpr std::int32_t kMethodSetWorkWidths = 111;
inline constexpr std::int32_t kMethodCheckParameters = 112;
inline constexpr std::int32_t kMethodSetInputPortDataType = 113;
inline constexpr std::int32_t kMethodSetOutputPortDataType = 114;
inline constexpr std::int32_t kMethodSetInputPortWidth = 115;
inline constexpr std::int32_t kMethodSetOutputPortWidth = 116;
inline constexpr std::int32_t kMethodSetInputPortComplexSignal = 120;
inline constexpr std::int32_t kMethodSetOutputPortComplexSignal = 121;
inline constexpr std::int32_t kMethodSetInputPortSampleTime = 122;
inline constexpr std::int32_t kMethodSetOutputPortSampleTime = 123;
inline constexpr std::int32_t kMethodSetInputPortDimensionInfo = 126;
inline constexpr std::int32_t kMethodSetOutputPortDimensionInfo = 127;
inline constexpr std::int32_t kMethodSetInputPortFrameData = 128;
inline constexpr std::int32_t kMethodSetDefaultPortDimensionInfo = 131;
inline constexpr std::int32_t kMethodSetDefaultPortDataTypes = 132;
inline constexpr std::int32_t kMethodSetDefaultPortComplexSignals = 133;
inline constexpr std::int32_t kMethodInitializePropagationPass = 142;
inline constexpr std::int32_t kMethodGetSimState = 144;
inline constexpr std::int32_t kMethodSetSimState = 145;

// The host's argument integer during an output call: the task marker, which
// the output method receives as its task id.
inline constexpr std::int32_t kOutputTaskMarker = -2;

}  // namespace sfqp
