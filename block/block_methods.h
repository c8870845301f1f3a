// The block's S-function methods, its guard routines and the port-count
// registration routines of the command-line record, as the entry point
// installs and dispatches them.
#pragma once

#include "interfaces/host_abi/simstruct.h"

namespace sfqp::block {

// The name the block is built under; a host record must carry it.
inline constexpr char kBlockName[] = "sfqpsolv";

// Configuration.
void mdlInitializeSizes(SimStruct* S);
void mdlInitializeSampleTimes(SimStruct* S);
void mdlSetInputPortFrameData(SimStruct* S, int port, int frame);
void mdlSetInputPortDataType(SimStruct* S, int port, int type);
void mdlSetOutputPortDataType(SimStruct* S, int port, int type);
void mdlSetDefaultPortDataTypes(SimStruct* S);
void mdlTerminate(SimStruct* S);

// Installed in the slots of methods the block does not have.
void variable_hit_guard(SimStruct* S);
void zero_crossings_guard(SimStruct* S);
inline constexpr char kVariableHitMessage[] =
    "To have a variable sample time, you must define MDL_GET_TIME_OF_NEXT_VAR_HIT and add a "
    "mdlGetTimeOfNextVarHit routine";
inline constexpr char kZeroCrossingsMessage[] =
    "To have nonsampled zero crossings, you must define MDL_ZERO_CROSSINGS and have a "
    "mdlZeroCrossings routine";

// Port-count registration of the record the module builds itself; argument is
// that record. Result 1 when the count is accepted, 0 when it is refused.
int register_input_port_count(void* argument, int count);
int register_output_port_count(void* argument, int count);

// The output step.
void mdlOutputs(SimStruct* S, int tid);
void block_step(const double* input1, const double* input2, const double* input3,
                const double* input4, const double* input5, double* output1, double* output2);

}  // namespace sfqp::block
