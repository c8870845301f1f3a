// The fast reading of plain problem lines against the full JSON reader: it
// answers for the lines that `sfqp generate` writes, decimal and exact, and for
// the golden problems' lines, and whenever it answers the full reader gives the
// same problem to the bit. Lines at the edges of JSON's number grammar and of
// the plain shape must either agree or be left to the full reader.
#include "tools/io/plain_problem_line.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <variant>

#include "tests/support/bits.h"
#include "tests/support/problems_file.h"
#include "tools/problems/problem_generator.h"

namespace sfqp::io {
namespace {

using test::same_bits;

// Whether the fast reading answered, after checking that the full reader
// agrees with it when it does.
bool agrees_with_full_reader(const std::string& line) {
  const auto plain = read_plain_problem_line(line);
  const auto full = parse_problem_json(line);
  if (!plain) {
    return false;
  }
  const auto* problem = std::get_if<NamedProblem>(&full);
  EXPECT_NE(problem, nullptr) << "the full reader refuses " << line;
  if (problem == nullptr) {
    return true;
  }
  EXPECT_EQ(plain->name, problem->name);
  EXPECT_TRUE(same_bits(plain->problem.coupling, problem->problem.coupling)) << line;
  EXPECT_TRUE(same_bits(plain->problem.target, problem->problem.target)) << line;
  EXPECT_FALSE(problem->problem.settings.has_value());
  return true;
}

TEST(PlainProblemLine, ReadsGeneratedAndGoldenLinesAsTheFullReaderDoes) {
  for (const bool exact : {false, true}) {
    for (const problems::Category category : problems::kAllCategories) {
      for (const auto& generated : problems::generate_range(category, 3, 0, 20)) {
        const std::string line =
            problem_to_json(generated.name, generated.coupling, generated.target, exact).dump();
        EXPECT_TRUE(agrees_with_full_reader(line)) << line;
      }
    }
  }
  std::ifstream golden(test::data_path("golden/problems.jsonl"));
  int answered = 0;
  for (std::string line; std::getline(golden, line);) {
    answered += agrees_with_full_reader(line) ? 1 : 0;
  }
  EXPECT_GT(answered, 0);
}

std::string zeros(int count) {
  std::string text;
  for (int k = 0; k < count; ++k) {
    text += k ? ",0" : "0";
  }
  return text;
}

// A plain line whose first target entry is the given JSON text.
std::string with_first_target(const std::string& value) {
  return "{\"coupling\":[" + zeros(64) + "],\"target\":[" + value + ",0,0,0]}";
}

TEST(PlainProblemLine, NumbersReadAsTheJsonLibraryReadsThem) {
  // "-0" is a whole number to the JSON library, so +0.0; "-0.0" keeps its sign.
  for (const char* value : {"-0",
                            "-0.0",
                            "0",
                            "1",
                            "-1",
                            "1.5",
                            "1e3",
                            "1E+3",
                            "1e-3",
                            "-2.5e-308",
                            "5e-324",
                            "4.9e-324",
                            "1.7976931348623157e308",
                            "9007199254740993",
                            "18446744073709551615",
                            "18446744073709551616",
                            "-9223372036854775809",
                            "123456789012345678901234567890",
                            "0.1000000000000000055511151231257827",
                            "\"0x1.8p+1\"",
                            "\"-0x1.8p+1\"",
                            "\"0X1.8P+1\"",
                            "\"0x1p-1074\"",
                            "\"0x1.00000000000008p+0\"",
                            "\"-0\"",
                            "\".5\"",
                            "\"1.\"",
                            "\"1e-400\"",
                            "\"nan\"",
                            "\"-inf\"",
                            "\"1e2\""}) {
    SCOPED_TRACE(value);
    EXPECT_TRUE(agrees_with_full_reader(with_first_target(value)));
  }
}

TEST(PlainProblemLine, LeavesEverythingElseToTheFullReader) {
  for (const char* value :
       {"01",   "-",         "1.",        ".5",          "+1",          "1e",           "1e+",
        "0x10", "inf",       "nan",       "1e400",       "-1e400",      "1e-400",       "2.4e-324",
        "\"\"", "\"1e400\"", "\"0x1p+\"", "\"0x1p+-5\"", "\"0x1p-+5\"", "\"1\\u0030\"", "true",
        "null", "[1]",       "1 2",       "1.e5",        "-01",         "00",           "-.5",
        "1.5.3"}) {
    SCOPED_TRACE(value);
    EXPECT_FALSE(agrees_with_full_reader(with_first_target(value)));
  }
  const std::string coupling = "\"coupling\":[" + zeros(64) + "]";
  const std::string target = "\"target\":[0,0,0,0]";
  for (const std::string& line : {
           "{" + coupling + "}",                                          // no target
           "{" + coupling + "," + target + ",}",                          // trailing comma
           "{" + coupling + "," + target + "," + target + "}",            // a key twice
           "{" + coupling + "," + target + ",\"settings\":{}}",           // settings
           "{" + coupling + "," + target + ",\"name\":\"tab\\there\"}",   // an escape
           "{" + coupling + "," + target + ",\"name\":\"caf\xc3\xa9\"}",  // non-ASCII
           "{" + coupling + "," + target + ",\"name\":7}",
           "{" + coupling + "," + target + "} x",
           "{\"coupling\":[" + zeros(63) + "]," + target + "}",
           "{\"coupling\":[" + zeros(65) + "]," + target + "}",
           "\xef\xbb\xbf{" + coupling + "," + target + "}",
           "{" + coupling + "," + target + std::string("}\0", 2),
           "[" + coupling + "]",
           std::string(),
       }) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(agrees_with_full_reader(line));
  }
  EXPECT_TRUE(
      agrees_with_full_reader(" \t{ " + target + " , \"name\" : \"a b\" ,\r" + coupling + " } \r"));
}

}  // namespace
}  // namespace sfqp::io
