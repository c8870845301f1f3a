// The matrix library's arrays: a class, a shape, and column-major data (real,
// and imaginary for complex doubles) held in separate blocks, as the host's
// classic layout does.
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "host/runtime/export.h"
#include "host/runtime/host_memory.h"
#include "host/runtime/matrix.h"

struct mxArray_tag {
  mxClassID class_id = mxUNKNOWN_CLASS;
  std::size_t rows = 0;
  std::size_t columns = 0;
  bool complex = false;
  std::unique_ptr<std::byte[]> real;
  std::unique_ptr<std::byte[]> imaginary;
};

namespace {

std::size_t element_size(mxClassID class_id) {
  switch (class_id) {
    case mxDOUBLE_CLASS:
      return sizeof(double);
    case mxSINGLE_CLASS:
      return sizeof(float);
    case mxINT32_CLASS:
      return sizeof(std::int32_t);
    case mxCHAR_CLASS:
      return sizeof(char16_t);  // the host's characters are 16-bit
    case mxLOGICAL_CLASS:
      return sizeof(bool);
    case mxUNKNOWN_CLASS:
      break;
  }
  return 0;
}

// Zeroed storage; null for an empty array, as the host gives empty arrays no
// data. Returns false when the size overflows or memory runs out.
bool allocate(std::unique_ptr<std::byte[]>& storage, std::size_t count, std::size_t size) {
  if (count == 0) {
    return true;
  }
  if (count > std::numeric_limits<std::size_t>::max() / size) {
    return false;
  }
  storage.reset(new (std::nothrow) std::byte[count * size]());
  return storage != nullptr;
}

mxArray* create(std::size_t rows, std::size_t columns, mxClassID class_id, bool complex) {
  const std::size_t size = element_size(class_id);
  if (size == 0 || (complex && class_id != mxDOUBLE_CLASS)) {
    return nullptr;
  }
  if (columns != 0 && rows > std::numeric_limits<std::size_t>::max() / columns) {
    return nullptr;
  }
  auto array = std::unique_ptr<mxArray>(new (std::nothrow) mxArray);
  if (!array) {
    return nullptr;
  }
  array->class_id = class_id;
  array->rows = rows;
  array->columns = columns;
  array->complex = complex;
  const std::size_t count = rows * columns;
  if (!allocate(array->real, count, size) ||
      (complex && !allocate(array->imaginary, count, size))) {
    return nullptr;
  }
  return array.release();
}

}  // namespace

extern "C" {

SFQP_HOST_EXPORT mxArray* mxCreateDoubleMatrix_700(int rows, int columns, mxComplexity complexity) {
  if (rows < 0 || columns < 0) {
    return nullptr;
  }
  return create(static_cast<std::size_t>(rows), static_cast<std::size_t>(columns), mxDOUBLE_CLASS,
                complexity == mxCOMPLEX);
}

SFQP_HOST_EXPORT mxArray* mxCreateNumericMatrix(std::size_t rows, std::size_t columns,
                                                mxClassID class_id, mxComplexity complexity) {
  if (class_id == mxCHAR_CLASS) {
    return nullptr;
  }
  return create(rows, columns, class_id, complexity == mxCOMPLEX);
}

SFQP_HOST_EXPORT mxArray* mxCreateString(const char* text) {
  const std::size_t length = text != nullptr ? std::strlen(text) : 0;
  mxArray* array = create(length == 0 ? 0 : 1, length, mxCHAR_CLASS, false);
  if (array != nullptr) {
    auto* characters = reinterpret_cast<char16_t*>(array->real.get());
    for (std::size_t i = 0; i < length; ++i) {
      characters[i] = static_cast<unsigned char>(text[i]);
    }
  }
  return array;
}

SFQP_HOST_EXPORT void mxDestroyArray(mxArray* array) {
  delete array;
}

SFQP_HOST_EXPORT std::size_t mxGetM(const mxArray* array) {
  return array->rows;
}
SFQP_HOST_EXPORT std::size_t mxGetN(const mxArray* array) {
  return array->columns;
}
SFQP_HOST_EXPORT std::size_t mxGetNumberOfElements(const mxArray* array) {
  return array->rows * array->columns;
}
SFQP_HOST_EXPORT mxClassID mxGetClassID(const mxArray* array) {
  return array->class_id;
}

SFQP_HOST_EXPORT bool mxIsComplex(const mxArray* array) {
  return array->complex;
}
SFQP_HOST_EXPORT bool mxIsNumeric(const mxArray* array) {
  return array->class_id == mxDOUBLE_CLASS || array->class_id == mxSINGLE_CLASS ||
         array->class_id == mxINT32_CLASS;
}
SFQP_HOST_EXPORT bool mxIsDouble(const mxArray* array) {
  return array->class_id == mxDOUBLE_CLASS;
}
SFQP_HOST_EXPORT bool mxIsChar(const mxArray* array) {
  return array->class_id == mxCHAR_CLASS;
}

// As in the host's classic interface, the real data of any class, typed as
// doubles: callers check the class before they read.
SFQP_HOST_EXPORT double* mxGetPr(const mxArray* array) {
  return reinterpret_cast<double*>(array->real.get());
}
SFQP_HOST_EXPORT double* mxGetPi(const mxArray* array) {
  return reinterpret_cast<double*>(array->imaginary.get());
}
SFQP_HOST_EXPORT void* mxGetData(const mxArray* array) {
  return array->real.get();
}

SFQP_HOST_EXPORT void* mxCalloc(std::size_t count, std::size_t element_size) {
  return sfqp::host::current_host_memory().allocate_zeroed(count, element_size);
}

}  // extern "C"
