// The MEX library: mexPrintf's C99 formatting to the console sink, and
// mexErrMsgTxt ending a call with its text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "host/runtime/console.h"
#include "host/runtime/matrix.h"
#include "host/runtime/mex_error.h"

namespace sfqp::test {
namespace {

TEST(MexPrintf, FormatsAsC99ToTheConsole) {
  const std::size_t size = 42;
  const long long big = -9007199254740993LL;
  host::begin_console_capture();
  const int length = mexPrintf("%3d|%10.3e|%9.2e|% 6.4f|%.8g|%.6g|%a|%zu|%lld|%s|%%\n", 7, 1234.5,
                               -0.000123, 0.5, 1.0 / 3.0, 2e-300, 0.1, size, big, "text");
  const std::string printed = host::end_console_capture();
  EXPECT_EQ(printed,
            "  7| 1.234e+03|-1.23e-04| 0.5000|0.33333333|2e-300|0x1.999999999999ap-4|42|"
            "-9007199254740993|text|%\n");
  EXPECT_EQ(length, static_cast<int>(printed.size()));
}

TEST(MexPrintf, LongTextArrivesWhole) {
  const std::string long_text(5000, 'x');
  host::begin_console_capture();
  mexPrintf("<%s>", long_text.c_str());
  EXPECT_EQ(host::end_console_capture(), "<" + long_text + ">");
}

TEST(MexErrMsgTxt, EndsTheCallWithItsText) {
  try {
    mexErrMsgTxt("the module refuses");
    ADD_FAILURE() << "mexErrMsgTxt returned";
  } catch (const host::MexError& error) {
    EXPECT_STREQ(error.what(), "the module refuses");
  }
  EXPECT_THROW(mexErrMsgTxt(nullptr), host::MexError);
}

}  // namespace
}  // namespace sfqp::test
