// The result line written directly against the JSON library's writing of the
// same result: byte for byte with --exact, and otherwise the same doubles read
// back (its decimals are at most as long), on values that reach every layout
// of a decimal and on names and console text that need escaping.
#include "tools/io/result_line.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "tests/support/bits.h"
#include "tools/io/number_text.h"
#include "tools/io/problem_json.h"

namespace sfqp::io {
namespace {

using test::same_bits;

std::string library_line(const std::optional<std::string>& name, const api::Result& result,
                         bool exact, bool include_console) {
  return result_to_json(name, result, exact, include_console)
      .dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string direct_line(const std::optional<std::string>& name, const api::Result& result,
                        bool exact, bool include_console) {
  std::string line;
  append_result_line(line, name, result, exact, include_console);
  return line;
}

// Doubles at every decimal layout's edges: whole numbers up to 10^15 and past
// it, fractions down to 0.0001 and below, subnormals, extremes, signed zeros
// and the non-finite values.
api::Result result_with_edge_values() {
  api::Result result;
  result.iterations = 17;
  result.converged = true;
  const double values[] = {0.0,
                           -0.0,
                           1.0,
                           -1.0,
                           0.1,
                           1e15,
                           1e16,
                           123456789012345.0,
                           1234567890123456.0,
                           0.0001,
                           0.00012,
                           0.00001,
                           1e-05,
                           1e21,
                           1e22,
                           1e100,
                           1e-100,
                           5e-324,
                           2.2250738585072014e-308,
                           1.7976931348623157e308,
                           0.5,
                           1.0 / 3,
                           -2.0 / 3,
                           1e-4 * 3,
                           99999999999999.9,
                           1e300};
  std::size_t k = 0;
  const auto next = [&] { return values[k++ % std::size(values)]; };
  for (double& v : result.output1) v = next();
  for (double& v : result.u) v = next();
  for (double& v : result.e) v = next();
  for (double& v : result.y) v = next();
  for (double& v : result.s) v = next();
  result.z[0] = std::numeric_limits<double>::infinity();
  result.z[1] = -std::numeric_limits<double>::infinity();
  result.z[2] = std::nan("");
  for (std::size_t i = 3; i < result.z.size(); ++i) result.z[i] = next();
  result.objv_current = true;
  result.objv = -1.1809094717562369e-11;  // the library writes one digit more than needed
  result.gap = 1e-9;
  result.eq_residual_sq = 3e-20;
  result.ineq_residual_sq = 0.0;
  result.console = "it  gap\n  1  0.5\t\"quoted\" back\\slash \x01 caf\xc3\xa9 bad \xff end";
  return result;
}

TEST(ResultLine, ExactIsTheLibrarysTextByteForByte) {
  api::Result result = result_with_edge_values();
  for (const auto& name : {std::optional<std::string>{}, std::optional<std::string>{"rotor16_3"},
                           std::optional<std::string>{"tab\there \"q\" \xc3\xa9 \xfe"}}) {
    for (const bool console : {false, true}) {
      EXPECT_EQ(direct_line(name, result, true, console),
                library_line(name, result, true, console));
    }
  }
  result.objv_current = false;
  EXPECT_EQ(direct_line("n", result, true, false), library_line("n", result, true, false));
}

TEST(ResultLine, DecimalsReadBackToTheSameDoubles) {
  api::Result result = result_with_edge_values();
  const std::string direct = direct_line("x\ty", result, false, true);
  const std::string library = library_line("x\ty", result, false, true);
  EXPECT_LE(direct.size(), library.size());
  const auto ours = nlohmann::json::parse(direct);
  const auto theirs = nlohmann::json::parse(library);
  ASSERT_EQ(ours.size(), theirs.size());
  for (const auto& [key, value] : theirs.items()) {
    SCOPED_TRACE(key);
    const auto& mine = ours.at(key);
    if (!value.is_array()) {
      EXPECT_EQ(mine, value);  // name, counts, console, and a double compared exactly
      continue;
    }
    ASSERT_EQ(mine.size(), value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
      const auto read_mine = read_number(mine[i]);
      const auto read_theirs = read_number(value[i]);
      EXPECT_TRUE(same_bits(std::get<double>(read_mine), std::get<double>(read_theirs)))
          << mine[i] << " against " << value[i];
    }
  }
}

TEST(ResultLine, DecimalsLayOutDigitsAsTheLibraryDoes) {
  char text[kNumberTextBytes];
  // Values whose shortest digits the library finds too, at each layout's edges.
  for (const double v : {0.0,
                         -0.0,
                         1.0,
                         -2.0,
                         0.5,
                         123456789012345.0,
                         999999999999999.0,
                         1e14,
                         1e15,
                         1e16,
                         1234567890123456.0,
                         0.001,
                         0.0001,
                         0.00012,
                         1e-05,
                         1.5e-300,
                         5e-324,
                         1e21,
                         1e100,
                         1.7976931348623157e308}) {
    EXPECT_EQ(std::string(text, write_decimal(text, v)), nlohmann::json(v).dump());
  }
}

TEST(ResultLine, DecimalsReadBackToTheSameDoubleAndAreNoLongerThanTheLibrarys) {
  char text[kNumberTextBytes];
  // Every layout (whole, point inside, leading zeros, exponent) over every
  // binade, with digit counts from 1 to 17.
  for (int exponent = -1074; exponent <= 1023; exponent += 3) {
    for (const double mantissa : {1.0, 1.5, 1.0 + 0x1p-52, 2.0 - 0x1p-52, 1.2345678901234567}) {
      for (const double v : {std::ldexp(mantissa, exponent), -std::ldexp(mantissa, exponent)}) {
        if (!std::isnormal(v) && std::fpclassify(v) != FP_SUBNORMAL) {
          continue;
        }
        const std::string written(text, write_decimal(text, v));
        double read = 0.0;
        const auto [end, error] =
            std::from_chars(written.data(), written.data() + written.size(), read);
        EXPECT_TRUE(error == std::errc() && end == written.data() + written.size()) << written;
        EXPECT_TRUE(test::same_bits(read, v)) << written;
        EXPECT_LE(written.size(), nlohmann::json(v).dump().size()) << written;
      }
    }
  }
}

TEST(ResultLine, HexFloatsArePrintfsText) {
  char text[kNumberTextBytes];
  char expected[kNumberTextBytes];
  // Every binade's edges and a spread of mantissas, subnormals and zeros too.
  for (int exponent = -1080; exponent <= 1024; exponent += 7) {
    for (const double mantissa : {1.0, 1.5, 1.0 + 0x1p-52, 2.0 - 0x1p-52, 1.2345678901234567}) {
      for (const double sign : {1.0, -1.0}) {
        const double v = sign * std::ldexp(mantissa, exponent);
        std::snprintf(expected, sizeof expected, "%a", v);
        EXPECT_EQ(std::string(text, write_hex_float(text, v)), expected);
      }
    }
  }
  for (const double v :
       {0.0, -0.0, 0x1p-1074, -0x1p-1022, 0x1.fffffffffffffp-1023,
        std::numeric_limits<double>::max(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity()}) {
    std::snprintf(expected, sizeof expected, "%a", v);
    EXPECT_EQ(std::string(text, write_hex_float(text, v)), expected);
  }
}

}  // namespace
}  // namespace sfqp::io
