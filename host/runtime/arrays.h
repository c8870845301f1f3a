// C++ helpers over the matrix library: owned arrays and constructors from
// values. Data is column-major, as the host stores it.
#pragma once

#include <cstring>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>

#include "host/runtime/matrix.h"

namespace sfqp::host {

struct ArrayDeleter {
  void operator()(mxArray* array) const noexcept { mxDestroyArray(array); }
};
using ArrayPtr = std::unique_ptr<mxArray, ArrayDeleter>;

namespace detail {

template <typename T>
ArrayPtr make_filled(std::size_t rows, std::size_t columns, mxClassID class_id,
                     mxComplexity complexity, std::span<const T> real,
                     std::span<const T> imaginary) {
  ArrayPtr array(mxCreateNumericMatrix(rows, columns, class_id, complexity));
  if (!array) {
    throw std::length_error("array too large");
  }
  const std::size_t count = mxGetNumberOfElements(array.get());
  if (!real.empty() && real.size() != count) {
    throw std::invalid_argument("value count differs from rows x columns");
  }
  if (!real.empty()) {
    std::memcpy(mxGetData(array.get()), real.data(), count * sizeof(T));
  }
  if (!imaginary.empty()) {
    if (imaginary.size() != count) {
      throw std::invalid_argument("value count differs from rows x columns");
    }
    std::memcpy(mxGetPi(array.get()), imaginary.data(), count * sizeof(T));
  }
  return array;
}

}  // namespace detail

// A real double matrix; values empty means zeros.
inline ArrayPtr make_double(std::size_t rows, std::size_t columns,
                            std::span<const double> values = {}) {
  return detail::make_filled<double>(rows, columns, mxDOUBLE_CLASS, mxREAL, values, {});
}
inline ArrayPtr make_scalar(double value) {
  return make_double(1, 1, {&value, 1});
}
inline ArrayPtr make_empty() {
  return make_double(0, 0);
}

inline ArrayPtr make_complex(std::size_t rows, std::size_t columns, std::span<const double> real,
                             std::span<const double> imaginary) {
  return detail::make_filled<double>(rows, columns, mxDOUBLE_CLASS, mxCOMPLEX, real, imaginary);
}

inline ArrayPtr make_int32(std::size_t rows, std::size_t columns,
                           std::span<const std::int32_t> values) {
  return detail::make_filled<std::int32_t>(rows, columns, mxINT32_CLASS, mxREAL, values, {});
}

inline ArrayPtr make_single(std::size_t rows, std::size_t columns, std::span<const float> values) {
  return detail::make_filled<float>(rows, columns, mxSINGLE_CLASS, mxREAL, values, {});
}

inline ArrayPtr make_string(const std::string& text) {
  if (text.find('\0') != std::string::npos) {
    throw std::invalid_argument("text holds a NUL character");
  }
  return ArrayPtr(mxCreateString(text.c_str()));
}

// The real doubles of a double array (empty for any other class).
inline std::span<const double> doubles(const mxArray* array) {
  if (array == nullptr || mxGetClassID(array) != mxDOUBLE_CLASS || mxGetPr(array) == nullptr) {
    return {};
  }
  return {mxGetPr(array), mxGetNumberOfElements(array)};
}

}  // namespace sfqp::host
