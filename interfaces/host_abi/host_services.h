// The MEX and matrix services the module imports from whichever host loads it.
//
// The module reaches its host only through these names. Built against GNU Octave
// (SFQP_OCTAVE_MEX), the host's own header declares them; otherwise they are
// declared here with the C linkage and signatures of the host ABI the module
// targets, and the host stand-in (host/runtime) provides them.
#pragma once

#if defined(SFQP_OCTAVE_MEX)
#include <mex.h>
#else
#include <cstddef>
#include <cstdint>

struct mxArray_tag;
using mxArray = mxArray_tag;
using mwSize = std::size_t;

enum mxComplexity { mxREAL = 0, mxCOMPLEX = 1 };

// The host runtime libraries define these functions themselves and build with
// SFQP_HOST_RUNTIME_BUILD, so that on Windows they export what modules import.
#if defined(_WIN32) && defined(SFQP_HOST_RUNTIME_BUILD)
#define SFQP_HOST_IMPORT __declspec(dllexport)
#elif defined(_WIN32)
#define SFQP_HOST_IMPORT __declspec(dllimport)
#else
#define SFQP_HOST_IMPORT
#endif

extern "C" {
// MEX library.
SFQP_HOST_IMPORT int mexPrintf(const char* format, ...);
[[noreturn]] SFQP_HOST_IMPORT void mexErrMsgTxt(const char* message);

// Matrix library.
SFQP_HOST_IMPORT std::size_t mxGetM(const mxArray* array);
SFQP_HOST_IMPORT std::size_t mxGetN(const mxArray* array);
SFQP_HOST_IMPORT bool mxIsComplex(const mxArray* array);
SFQP_HOST_IMPORT bool mxIsNumeric(const mxArray* array);
SFQP_HOST_IMPORT bool mxIsDouble(const mxArray* array);
SFQP_HOST_IMPORT double* mxGetPr(const mxArray* array);
SFQP_HOST_IMPORT mxArray* mxCreateDoubleMatrix_700(int rows, int columns, mxComplexity complexity);
SFQP_HOST_IMPORT void* mxCalloc(std::size_t count, std::size_t element_size);
}

// The host's compatibility mode maps the matrix constructor to its 32-bit-count
// entry; the module calls it by its usual name.
#define mxCreateDoubleMatrix mxCreateDoubleMatrix_700
#endif
