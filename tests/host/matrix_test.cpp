// The matrix library: arrays of every class the stand-in holds, their shapes
// and tests, and mxCalloc's memory and its owner.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "host/runtime/arrays.h"
#include "host/runtime/host_memory.h"

namespace sfqp::test {
namespace {

using host::ArrayPtr;

TEST(MatrixArrays, DoubleShapesAndData) {
  const ArrayPtr matrix(mxCreateDoubleMatrix_700(2, 3, mxREAL));
  ASSERT_NE(matrix, nullptr);
  EXPECT_EQ(mxGetM(matrix.get()), 2u);
  EXPECT_EQ(mxGetN(matrix.get()), 3u);
  EXPECT_EQ(mxGetNumberOfElements(matrix.get()), 6u);
  EXPECT_TRUE(mxIsDouble(matrix.get()));
  EXPECT_TRUE(mxIsNumeric(matrix.get()));
  EXPECT_FALSE(mxIsComplex(matrix.get()));
  EXPECT_EQ(mxGetPi(matrix.get()), nullptr);
  ASSERT_NE(mxGetPr(matrix.get()), nullptr);
  for (double value : host::doubles(matrix.get())) {
    EXPECT_EQ(value, 0.0);
  }
  // Empty arrays, of any shape, have no data.
  for (auto [rows, columns] : {std::pair{0, 0}, std::pair{3, 0}, std::pair{0, 5}}) {
    const ArrayPtr empty(mxCreateDoubleMatrix_700(rows, columns, mxREAL));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(mxGetM(empty.get()), static_cast<std::size_t>(rows));
    EXPECT_EQ(mxGetN(empty.get()), static_cast<std::size_t>(columns));
    EXPECT_EQ(mxGetPr(empty.get()), nullptr);
  }
  const double values[4] = {1.0, 2.0, 3.0, 4.0};
  const ArrayPtr filled = host::make_double(2, 2, values);
  EXPECT_EQ(mxGetPr(filled.get())[2], 3.0);  // column-major
}

TEST(MatrixArrays, ComplexDoubles) {
  const double real[2] = {1.0, 2.0};
  const double imaginary[2] = {-1.0, 0.5};
  const ArrayPtr z = host::make_complex(1, 2, real, imaginary);
  EXPECT_TRUE(mxIsComplex(z.get()));
  EXPECT_TRUE(mxIsDouble(z.get()));
  EXPECT_EQ(mxGetPr(z.get())[1], 2.0);
  EXPECT_EQ(mxGetPi(z.get())[0], -1.0);
  const ArrayPtr empty(mxCreateDoubleMatrix_700(0, 0, mxCOMPLEX));
  EXPECT_TRUE(mxIsComplex(empty.get()));
}

TEST(MatrixArrays, OtherClasses) {
  const std::int32_t integers[1] = {-7};
  const ArrayPtr int32 = host::make_int32(1, 1, integers);
  EXPECT_TRUE(mxIsNumeric(int32.get()));
  EXPECT_FALSE(mxIsDouble(int32.get()));
  EXPECT_EQ(mxGetClassID(int32.get()), mxINT32_CLASS);
  EXPECT_EQ(*static_cast<const std::int32_t*>(mxGetData(int32.get())), -7);
  EXPECT_TRUE(host::doubles(int32.get()).empty());

  const float floats[2] = {0.5f, 1.5f};
  const ArrayPtr single = host::make_single(2, 1, floats);
  EXPECT_TRUE(mxIsNumeric(single.get()));
  EXPECT_FALSE(mxIsDouble(single.get()));
  EXPECT_EQ(mxGetClassID(single.get()), mxSINGLE_CLASS);

  const ArrayPtr text = host::make_string("ab");
  EXPECT_TRUE(mxIsChar(text.get()));
  EXPECT_FALSE(mxIsNumeric(text.get()));
  EXPECT_FALSE(mxIsDouble(text.get()));
  EXPECT_EQ(mxGetM(text.get()), 1u);
  EXPECT_EQ(mxGetN(text.get()), 2u);
  EXPECT_EQ(static_cast<const char16_t*>(mxGetData(text.get()))[1], u'b');
  const ArrayPtr no_text(mxCreateString(""));
  EXPECT_EQ(mxGetNumberOfElements(no_text.get()), 0u);

  const ArrayPtr logical(mxCreateNumericMatrix(1, 1, mxLOGICAL_CLASS, mxREAL));
  EXPECT_FALSE(mxIsNumeric(logical.get()));
}

TEST(MatrixArrays, ImpossibleArraysAreRefused) {
  EXPECT_EQ(mxCreateDoubleMatrix_700(-1, 1, mxREAL), nullptr);
  EXPECT_EQ(mxCreateDoubleMatrix_700(1, -2147483647 - 1, mxREAL), nullptr);
  const std::size_t huge = std::numeric_limits<std::size_t>::max() / 2;
  EXPECT_EQ(mxCreateNumericMatrix(huge, 4, mxDOUBLE_CLASS, mxREAL), nullptr);
  EXPECT_EQ(mxCreateNumericMatrix(huge, 1, mxDOUBLE_CLASS, mxREAL), nullptr);
  EXPECT_EQ(mxCreateNumericMatrix(1, 1, mxCHAR_CLASS, mxREAL), nullptr);
  EXPECT_EQ(mxCreateNumericMatrix(1, 1, mxINT32_CLASS, mxCOMPLEX), nullptr);
  EXPECT_EQ(mxCreateNumericMatrix(1, 1, mxUNKNOWN_CLASS, mxREAL), nullptr);
  const double one[1] = {1.0};
  EXPECT_THROW(host::make_double(2, 2, one), std::invalid_argument);
}

TEST(HostMemory, CallocIsZeroedAndOwnedByTheCurrentHost) {
  host::HostMemory outer;
  host::HostMemory inner;
  {
    const host::HostMemoryScope outer_scope(outer);
    auto* bytes = static_cast<unsigned char*>(mxCalloc(100, 8));
    ASSERT_NE(bytes, nullptr);
    for (int i = 0; i < 800; ++i) {
      EXPECT_EQ(bytes[i], 0) << i;
    }
    {
      const host::HostMemoryScope inner_scope(inner);
      EXPECT_NE(mxCalloc(1, 1), nullptr);
    }
    EXPECT_NE(mxCalloc(3, 4), nullptr);
    EXPECT_EQ(&host::current_host_memory(), &outer);
  }
  EXPECT_EQ(outer.block_count(), 2u);
  EXPECT_EQ(inner.block_count(), 1u);
  EXPECT_NE(&host::current_host_memory(), &outer);
}

TEST(HostMemory, CallocRefusesOverflowAndGivesDistinctEmptyBlocks) {
  host::HostMemory memory;
  const host::HostMemoryScope scope(memory);
  EXPECT_EQ(mxCalloc(std::numeric_limits<std::size_t>::max() / 4, 8), nullptr);
  void* first = mxCalloc(0, 8);
  void* second = mxCalloc(8, 0);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_EQ(memory.block_count(), 2u);
}

}  // namespace
}  // namespace sfqp::test
