// The matrix library as the host side sees it: what modules import (declared
// in interfaces/host_abi/host_services.h) plus the constructors, accessors and destructor
// that the engine, the tools and the tests use to make and read arrays.
#pragma once

#include <cstddef>
#include <cstdint>

#include "interfaces/host_abi/host_services.h"

// The classes of array the stand-in holds: doubles (real or complex), two
// further numeric classes, and two non-numeric ones.
enum mxClassID {
  mxUNKNOWN_CLASS = 0,
  mxLOGICAL_CLASS = 3,
  mxCHAR_CLASS = 4,
  mxDOUBLE_CLASS = 6,
  mxSINGLE_CLASS = 7,
  mxINT32_CLASS = 12,
};

extern "C" {
// A rows x columns numeric or logical array of the class, zero-filled; null
// when the class is not one of the above (char excepted: use mxCreateString)
// or the element count overflows.
SFQP_HOST_IMPORT mxArray* mxCreateNumericMatrix(std::size_t rows, std::size_t columns,
                                                mxClassID class_id, mxComplexity complexity);
// A 1 x n char array of the text's bytes (n = strlen(text)).
SFQP_HOST_IMPORT mxArray* mxCreateString(const char* text);
SFQP_HOST_IMPORT void mxDestroyArray(mxArray* array);

SFQP_HOST_IMPORT mxClassID mxGetClassID(const mxArray* array);
SFQP_HOST_IMPORT std::size_t mxGetNumberOfElements(const mxArray* array);
SFQP_HOST_IMPORT bool mxIsChar(const mxArray* array);
// The real (or only) data of any class, and the imaginary data of a complex
// array; null for an empty array (and for real arrays, mxGetPi).
SFQP_HOST_IMPORT void* mxGetData(const mxArray* array);
SFQP_HOST_IMPORT double* mxGetPi(const mxArray* array);
}
