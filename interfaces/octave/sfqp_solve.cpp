// sfqp_solve: the block's QP for Octave scripts, solved by the same core.
//
//   [u, info] = sfqp_solve(C, t)
//   [u, info] = sfqp_solve(C, t, options)
//
// C is the 4x16 effectiveness (coupling) matrix and t the 4 demands (target).
// u is the 16x1 solution. info holds iterations, converged, output1 (what the
// block writes: u, or zeros above 24 iterations), e, y, s, z, objv (NaN when
// the solver did not compute it: it does so only at convergence or while the
// progress table prints), gap, eq_residual_sq and ineq_residual_sq. options is
// a scalar struct whose fields are solver setting names (iteration_limit,
// print_progress, ...) or the weights error_weight (4) and effort_weight (16);
// what it does not name keeps the block's values (the default settings with the
// progress table off, weights 40000 and 1).
#include <mex.h>

#include <cstring>
#include <limits>

#include "api/core_api.h"
#include "block/host_console.h"
#include "interfaces/octave/mex_arguments.h"

namespace {

using sfqp::api::Result;

template <std::size_t N>
mxArray* column(const std::array<double, N>& values) {
  mxArray* array = mxCreateDoubleMatrix(N, 1, mxREAL);
  std::memcpy(mxGetPr(array), values.data(), N * sizeof(double));
  return array;
}

mxArray* info_struct(const Result& result) {
  static const char* const kFields[] = {
      "iterations", "converged",      "output1",         "e", "y", "s", "z", "objv",
      "gap",        "eq_residual_sq", "ineq_residual_sq"};
  constexpr int kFieldCount = sizeof kFields / sizeof kFields[0];
  mxArray* info = mxCreateStructMatrix(1, 1, kFieldCount, const_cast<const char**>(kFields));
  mxSetField(info, 0, "iterations", mxCreateDoubleScalar(result.iterations));
  mxSetField(info, 0, "converged", mxCreateLogicalScalar(result.converged));
  mxSetField(info, 0, "output1", column(result.output1));
  mxSetField(info, 0, "e", column(result.e));
  mxSetField(info, 0, "y", column(result.y));
  mxSetField(info, 0, "s", column(result.s));
  mxSetField(info, 0, "z", column(result.z));
  mxSetField(info, 0, "objv",
             mxCreateDoubleScalar(result.objv_current ? result.objv
                                                      : std::numeric_limits<double>::quiet_NaN()));
  mxSetField(info, 0, "gap", mxCreateDoubleScalar(result.gap));
  mxSetField(info, 0, "eq_residual_sq", mxCreateDoubleScalar(result.eq_residual_sq));
  mxSetField(info, 0, "ineq_residual_sq", mxCreateDoubleScalar(result.ineq_residual_sq));
  return info;
}

}  // namespace

extern "C" void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  using sfqp::octave::raise;
  if (nrhs < 2 || nrhs > 3) {
    raise("sfqp:usage", "usage: [u, info] = sfqp_solve(C, t) or sfqp_solve(C, t, options)");
  }
  if (nlhs > 2) {
    raise("sfqp:usage", "too many outputs: sfqp_solve returns u and info");
  }
  sfqp::api::Problem problem;
  sfqp::octave::read_matrix(prhs[0], "C", sfqp::kEqualityCount, sfqp::kEffortCount,
                            problem.coupling.data());
  sfqp::octave::read_vector(prhs[1], "t", problem.target);
  if (nrhs == 3) {
    sfqp::octave::apply_options(prhs[2], problem);
  }

  // Progress and diagnostic lines go to Octave's console through its mexPrintf.
  problem.console_sink = sfqp::block::kHostConsole;
  const Result result = sfqp::api::solve(problem);
  plhs[0] = column(result.u);
  if (nlhs > 1) {
    plhs[1] = info_struct(result);
  }
}
