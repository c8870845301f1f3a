// The MEX-mode half of mexFunction (the method-call half is method_dispatch.h).
#pragma once

#include "interfaces/host_abi/simstruct.h"

namespace sfqp::block {

// Checks the arguments, adopts the host's record from prhs[1] or builds one,
// runs mdlInitializeSizes and returns the 40 size integers in plhs[0]. Every
// failed check is raised with mexErrMsgTxt and ends the call.
void handle_mex_mode_call(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]);

// The record of a MEX-mode call that brings none, in the host's memory
// (mxCalloc, zeroed, never freed by the module): its own root, model
// information in simulation mode 1, the caller's arrays from prhs[4] on as
// its dialog parameters (not copies), the block name as model name and path,
// and the module's own port-count registration.
SimStruct* create_mex_record(int nrhs, const mxArray* prhs[]);

}  // namespace sfqp::block
