#include "tests/fuzz/fuzz_arrays.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <string>

namespace sfqp::fuzz {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kEdgeValues[] = {0.0,
                                  -0.0,
                                  1.0,
                                  -1.0,
                                  0.5,
                                  -0.5,
                                  3.0,
                                  104.0,
                                  104.9,
                                  101.0,
                                  145.0,
                                  2147483647.0,
                                  2147483648.0,
                                  -2147483648.0,
                                  -2147483649.0,
                                  4294967296.0,
                                  8480229.0,
                                  8480229.5,
                                  1e300,
                                  -1e300,
                                  5e-324,
                                  2.2e-308,
                                  1e-300,
                                  kInf,
                                  -kInf,
                                  std::numeric_limits<double>::quiet_NaN(),
                                  -std::numeric_limits<double>::quiet_NaN(),
                                  1.7976931348623157e308};
constexpr std::size_t kEdgeCount = sizeof kEdgeValues / sizeof kEdgeValues[0];

enum class Kind { real_double, complex_double, single, int32, logical, text, count };

std::size_t pick_extent(FuzzedDataProvider& in) {
  // Mostly the shapes a flag or a record handle might have, sometimes long.
  const auto extent = in.ConsumeIntegralInRange<std::size_t>(0, 6);
  return extent < 6 ? extent : in.ConsumeIntegralInRange<std::size_t>(0, 300);
}

}  // namespace

double pick_double(FuzzedDataProvider& in) {
  const auto choice = in.ConsumeIntegral<std::uint8_t>();
  if (choice < 4 * kEdgeCount) {
    return kEdgeValues[choice % kEdgeCount];
  }
  return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
}

sfqp::host::ArrayPtr pick_array(FuzzedDataProvider& in) {
  const auto kind =
      static_cast<Kind>(in.ConsumeIntegralInRange<int>(0, static_cast<int>(Kind::count) - 1));
  if (kind == Kind::text) {
    std::string text = in.ConsumeRandomLengthString(40);
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return sfqp::host::make_string(text);
  }
  std::size_t rows = pick_extent(in);
  std::size_t columns = pick_extent(in);
  if (rows * columns > 2000) {
    columns = 1;
  }
  const std::size_t count = rows * columns;
  switch (kind) {
    case Kind::real_double:
    case Kind::complex_double: {
      const bool complex = kind == Kind::complex_double;
      sfqp::host::ArrayPtr array(
          mxCreateNumericMatrix(rows, columns, mxDOUBLE_CLASS, complex ? mxCOMPLEX : mxREAL));
      double* real = mxGetPr(array.get());
      double* imaginary = mxGetPi(array.get());
      for (std::size_t k = 0; k < count; ++k) {
        real[k] = pick_double(in);
        if (complex) {
          imaginary[k] = pick_double(in);
        }
      }
      return array;
    }
    case Kind::single: {
      sfqp::host::ArrayPtr array(mxCreateNumericMatrix(rows, columns, mxSINGLE_CLASS, mxREAL));
      auto* values = static_cast<float*>(mxGetData(array.get()));
      for (std::size_t k = 0; k < count; ++k) {
        values[k] = static_cast<float>(pick_double(in));
      }
      return array;
    }
    case Kind::int32: {
      sfqp::host::ArrayPtr array(mxCreateNumericMatrix(rows, columns, mxINT32_CLASS, mxREAL));
      auto* values = static_cast<std::int32_t*>(mxGetData(array.get()));
      for (std::size_t k = 0; k < count; ++k) {
        values[k] = in.ConsumeIntegral<std::int32_t>();
      }
      return array;
    }
    case Kind::logical: {
      sfqp::host::ArrayPtr array(mxCreateNumericMatrix(rows, columns, mxLOGICAL_CLASS, mxREAL));
      auto* values = static_cast<bool*>(mxGetData(array.get()));
      for (std::size_t k = 0; k < count; ++k) {
        values[k] = in.ConsumeBool();
      }
      return array;
    }
    case Kind::text:
    case Kind::count:
      break;
  }
  return sfqp::host::make_empty();
}

}  // namespace sfqp::fuzz
