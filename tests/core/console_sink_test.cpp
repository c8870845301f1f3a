// The core's console: the text reaches the sink whole, whatever the values;
// without a sink nothing is printed; the API sends a solve's lines where the
// caller asks and leaves the sink as it found it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#include "api/core_api.h"
#include "solver/console_sink.h"

namespace sfqp::test {
namespace {

void append(void* context, const char* text, std::size_t length) {
  EXPECT_EQ(text[length], '\0');
  static_cast<std::string*>(context)->append(text, length);
}

TEST(ConsoleSinkTest, LongestLinesArriveWhole) {
  std::string printed;
  set_console_sink({append, &printed});
  const char* format = "%3d   %10.3e  %9.2e  %9.2e  %9.2e  % 6.4f\n";
  console_print(format, -2147483647 - 1, -1.7e308, INFINITY, NAN, 5e-324, -1.7976931348623157e308);
  set_console_sink({});
  char expected[512];
  const int length = std::snprintf(expected, sizeof expected, format, -2147483647 - 1, -1.7e308,
                                   INFINITY, NAN, 5e-324, -1.7976931348623157e308);
  ASSERT_LT(length, static_cast<int>(sizeof expected));
  EXPECT_EQ(printed, expected);
}

// A line the C library cannot format (a wide character the "C" locale has no
// byte for) reaches the sink not at all, rather than as the buffer's leftovers.
// Not every C library refuses it: mingw-w64's drops the character (or, under
// 256, writes it as its byte) and formats the line, which the sink then gets
// as the library formatted it.
TEST(ConsoleSinkTest, ALineThatCannotBeFormattedIsNotSent) {
  std::string printed;
  int calls = 0;
  struct Seen {
    std::string* text;
    int* calls;
  } seen{&printed, &calls};
  set_console_sink({[](void* context, const char* text, std::size_t length) {
                      auto* into = static_cast<Seen*>(context);
                      ++*into->calls;
                      into->text->append(text, length);
                    },
                    &seen});
  console_print("%ls\n", L"\u00e9");
  console_print("%d\n", 7);
  set_console_sink({});

  char formatted[16];
  const int length = std::snprintf(formatted, sizeof formatted, "%ls\n", L"\u00e9");
  if (length < 0) {
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(printed, "7\n");
  } else {
    std::cout << "this C library formats the line as " << length << " bytes\n";
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(printed, std::string(formatted, static_cast<std::size_t>(length)) + "7\n");
  }
}

TEST(ConsoleSinkTest, NothingWithoutASink) {
  std::string printed;
  set_console_sink({append, &printed});
  set_console_sink({});
  console_print("%d\n", 1);
  EXPECT_EQ(console_sink().write, nullptr);
  EXPECT_EQ(printed, "");
}

TEST(ConsoleSinkTest, ApiSendsTheSolveWhereAskedAndRestoresTheSink) {
  api::Problem problem;
  for (std::size_t i = 0; i < 4; ++i) {
    problem.coupling[i + 4 * i] = 1.0;
    problem.target[i] = 0.5;
  }
  SolverSettings settings = api::default_settings();
  settings.print_progress = 1;
  problem.settings = settings;
  problem.capture_console = true;
  const std::string captured = api::solve(problem).console;
  ASSERT_NE(captured.find("iter     objv"), std::string::npos);

  std::string before;
  set_console_sink({append, &before});
  std::string streamed;
  problem.capture_console = false;
  problem.console_sink = {append, &streamed};
  EXPECT_EQ(api::solve(problem).console, "");
  EXPECT_EQ(streamed, captured);
  EXPECT_EQ(console_sink().context, &before) << "the caller's sink is back";
  console_print("after");
  set_console_sink({});
  EXPECT_EQ(before, "after");
}

}  // namespace
}  // namespace sfqp::test
