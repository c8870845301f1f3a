#include "interfaces/octave/mex_arguments.h"

#include <cstdlib>
#include <cstring>

namespace sfqp::octave {

void raise(const char* identifier, const std::string& message) {
  // The text goes through "%s": a message never acts as a format.
  mexErrMsgIdAndTxt(identifier, "%s", message.c_str());
  // Octave's mexErrMsgIdAndTxt unwinds to the interpreter and never returns,
  // though its declaration does not say so.
  std::abort();
}

std::string describe_array(const mxArray* array) {
  std::string text = "a ";
  const mwSize rank = mxGetNumberOfDimensions(array);
  const mwSize* dimensions = mxGetDimensions(array);
  for (mwSize k = 0; k < rank; ++k) {
    if (k > 0) {
      text += 'x';
    }
    text += std::to_string(dimensions[k]);
  }
  if (mxIsSparse(array)) {
    text += " sparse";
  }
  if (mxIsComplex(array)) {
    text += " complex";
  }
  text += ' ';
  text += mxGetClassName(array);
  return text;
}

namespace {

bool is_real_full_double(const mxArray* array) {
  return mxIsDouble(array) && !mxIsComplex(array) && !mxIsSparse(array);
}

// A weights vector: its shape as read_vector wants, every entry a weight.
template <std::size_t N>
void read_weights(const mxArray* array, const std::string& label, std::array<double, N>& out) {
  read_vector(array, label.c_str(), out);
  for (std::size_t i = 0; i < N; ++i) {
    if (auto error = api::check_weight(out[i])) {
      raise("sfqp:options", label + "(" + std::to_string(i + 1) + ") " + *error);
    }
  }
}

}  // namespace

void read_matrix(const mxArray* array, const char* name, std::size_t rows, std::size_t columns,
                 double* out) {
  if (!is_real_full_double(array) || mxGetNumberOfDimensions(array) != 2 || mxGetM(array) != rows ||
      mxGetN(array) != columns) {
    raise("sfqp:argument", std::string(name) + " must be a real " + std::to_string(rows) + "x" +
                               std::to_string(columns) + " double matrix, got " +
                               describe_array(array));
  }
  std::memcpy(out, mxGetPr(array), rows * columns * sizeof(double));
}

void read_vector(const mxArray* array, const char* name, std::size_t length, double* out) {
  const bool vector_shape = mxGetNumberOfDimensions(array) == 2 &&
                            (mxGetM(array) == 1 || mxGetN(array) == 1) &&
                            mxGetNumberOfElements(array) == length;
  if (!is_real_full_double(array) || !vector_shape) {
    raise("sfqp:argument", std::string(name) + " must be a real double vector of " +
                               std::to_string(length) + " elements, got " + describe_array(array));
  }
  std::memcpy(out, mxGetPr(array), length * sizeof(double));
}

void apply_options(const mxArray* options, api::Problem& problem) {
  if (!mxIsStruct(options) || mxGetNumberOfElements(options) != 1) {
    raise("sfqp:options", "options must be a scalar struct of setting names and values, got " +
                              describe_array(options));
  }
  const int count = mxGetNumberOfFields(options);
  for (int field = 0; field < count; ++field) {
    const std::string name = mxGetFieldNameByNumber(options, field);
    const mxArray* value = mxGetFieldByNumber(options, 0, field);
    const std::string label = "options." + name;
    if (value == nullptr) {
      raise("sfqp:options", label + " has no value");
    }
    if (name == "error_weight") {
      read_weights(value, label, problem.error_weight);
      continue;
    }
    if (name == "effort_weight") {
      read_weights(value, label, problem.effort_weight);
      continue;
    }
    if (!(mxIsNumeric(value) || mxIsLogical(value)) || mxIsComplex(value) || mxIsSparse(value) ||
        mxGetNumberOfElements(value) != 1) {
      raise("sfqp:options", label + " must be a real scalar, got " + describe_array(value));
    }
    if (!problem.settings) {
      problem.settings = api::block_settings();
    }
    if (auto error = api::apply_setting(*problem.settings, name, mxGetScalar(value))) {
      raise("sfqp:options", label + " " + *error);
    }
  }
}

}  // namespace sfqp::octave
