// Checked reading of the arguments of an Octave MEX function: every array's
// class, complexity, storage and shape is checked before its data is touched,
// and anything else is raised as an error that names the argument and says what
// arrived.
#pragma once

#include <mex.h>

#include <array>
#include <cstddef>
#include <string>

#include "api/core_api.h"

namespace sfqp::octave {

// Raises a MEX error (Octave puts the function's name in front of the text).
[[noreturn]] void raise(const char* identifier, const std::string& message);

// "a 4x16 double", "a 1x4 complex double", "a 4x16 sparse double", "a 1x5 char".
std::string describe_array(const mxArray* array);

// Reads a real full double matrix of exactly rows x columns (column-major).
void read_matrix(const mxArray* array, const char* name, std::size_t rows, std::size_t columns,
                 double* out);

// Reads a real full double vector of length entries, as a row or a column.
void read_vector(const mxArray* array, const char* name, std::size_t length, double* out);

template <std::size_t N>
void read_vector(const mxArray* array, const char* name, std::array<double, N>& out) {
  read_vector(array, name, N, out.data());
}

// Applies the fields of a scalar struct to a problem: error_weight (4) and
// effort_weight (16) replace the block's weights; any other field is a solver
// setting (a real numeric or logical scalar) applied over the block's settings.
void apply_options(const mxArray* options, api::Problem& problem);

}  // namespace sfqp::octave
