// Reading recorded input: where each value lands, and a clear error naming the
// line and column for every kind of malformed file.
#include "tools/simulate/recorded_input.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "tests/support/bits.h"
#include "tests/support/scratch_folder.h"
#include "tools/simulate/plain_csv_step.h"

namespace sfqp::simulate {
namespace {

std::string header() {
  std::string text;
  for (const auto& name : csv_input_columns()) {
    text += (text.empty() ? "" : ",") + name;
  }
  return text + "\n";
}

// A row whose column c (0-based) holds c + 0.5.
std::string row(int columns = kCsvInputColumnCount) {
  std::string text;
  for (int c = 0; c < columns; ++c) {
    text += c == 0 ? "" : ",";
    text += std::to_string(c) + ".5";
  }
  return text + "\n";
}

struct Read {
  StepInputs steps;
  std::string error = "no error";
};

Read read_all(RecordedInput& input) {
  Read read;
  for (StepInput step; input.next(step);) {
    read.steps.push_back(step);
  }
  if (input.error()) {
    read.error = input.error()->message;
  }
  return read;
}

Read read_text(const std::string& text, std::optional<FileFormat> format) {
  std::istringstream in(text);
  RecordedInput input(in, format);
  return read_all(input);
}

StepInputs read_csv_ok(const std::string& text) {
  Read read = read_text(text, FileFormat::csv);
  EXPECT_EQ(read.error, "no error");
  return read.steps;
}

std::string csv_error(const std::string& text) {
  return read_text(text, FileFormat::csv).error;
}

std::string json_error(const std::string& text) {
  return read_text(text, FileFormat::json_lines).error;
}

std::string file_error(const std::filesystem::path& name) {
  RecordedInput input(name.string());
  return read_all(input).error;
}

std::string json_step(const std::string& coupling_entries = "", const std::string& extra = "") {
  std::string coupling;
  for (int k = 0; k < kCouplingCount; ++k) {
    coupling += k == 0 ? "" : ",";
    coupling += std::to_string(k);
  }
  if (!coupling_entries.empty()) {
    coupling = coupling_entries;
  }
  return "{\"coupling\": [" + coupling + "], \"target\": [1, 2, 3, 4]" + extra + "}\n";
}

TEST(RecordedInputColumns, NameTheMatrixColumnMajorThenTheDemands) {
  const auto& names = csv_input_columns();
  EXPECT_EQ(names[0], "c_r0_c0");
  EXPECT_EQ(names[1], "c_r1_c0");
  EXPECT_EQ(names[4], "c_r0_c1");
  EXPECT_EQ(names[63], "c_r3_c15");
  EXPECT_EQ(names[64], "t0");
  EXPECT_EQ(names[67], "t3");
}

TEST(RecordedCsv, PutsEveryColumnInItsPlace) {
  const StepInputs steps = read_csv_ok(header() + row() + row());
  ASSERT_EQ(steps.size(), 2u);
  // Column-major: column 1 is row 1 of matrix column 0, column 4 row 0 of column 1.
  EXPECT_TRUE(test::same_bits(steps[1].coupling[1], 1.5));
  EXPECT_TRUE(test::same_bits(steps[1].coupling[4], 4.5));
  EXPECT_TRUE(test::same_bits(steps[1].coupling[63], 63.5));
  EXPECT_TRUE(test::same_bits(steps[1].target[0], 64.5));
  EXPECT_TRUE(test::same_bits(steps[1].target[3], 67.5));
}

TEST(RecordedCsv, ReadsHexFloatsCrLfSpacesAndTrailingBlankLinesExactly) {
  std::string line = row();
  line.replace(0, 3, " 0x1.0000000000001p-3 ");  // column 0: "0.5" -> a hex float
  line.replace(line.size() - 1, 1, "\r\n");
  const StepInputs steps = read_csv_ok(header() + line + "\n  \n");
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_TRUE(test::same_bits(steps[0].coupling[0], 0x1.0000000000001p-3));
}

TEST(RecordedCsv, NamesTheLineAndColumnOfEveryMalformedValue) {
  EXPECT_EQ(csv_error(header() + row(67)),
            "line 2 has 67 columns, expected 68: column 68 (t3) is missing");
  EXPECT_EQ(csv_error(header() + row() + row(69)), "line 3 has 69 columns, expected 68");
  std::string bad = row();
  bad.replace(bad.find(",12.5,"), 6, ",1.2.3,");
  EXPECT_EQ(csv_error(header() + bad), "line 2, column 13 (c_r0_c3): \"1.2.3\" is not a number");
  std::string empty = row();
  empty.replace(empty.find(",66.5,"), 6, ",,");
  EXPECT_EQ(csv_error(header() + empty), "line 2, column 67 (t2): empty, expected a number");
  EXPECT_EQ(csv_error(header() + row() + "\n" + row()),
            "line 3 is blank; every line between steps must hold one step");
}

// What spreadsheet programs write: a byte-order mark, CR LF, every field in
// quotes, quotes doubled inside one. It reads as the plain file reads.
TEST(RecordedCsv, ReadsAByteOrderMarkAndQuotedFieldsLikePlainCsv) {
  auto quoted = [](const std::string& line) {
    std::string text = "\"";
    for (const char c : line.substr(0, line.size() - 1)) {
      text += c == ',' ? std::string("\" , \"") : std::string(1, c);
    }
    return text + "\"\r\n";
  };
  const StepInputs plain = read_csv_ok(header() + row());
  const StepInputs spreadsheet = read_csv_ok("\xEF\xBB\xBF" + quoted(header()) + quoted(row()));
  ASSERT_EQ(spreadsheet.size(), 1u);
  EXPECT_TRUE(test::same_bits(spreadsheet[0].coupling, plain[0].coupling));
  EXPECT_TRUE(test::same_bits(spreadsheet[0].target, plain[0].target));

  std::string doubled = row();
  doubled.replace(doubled.find(",12.5,"), 6, ",\"1\"\"2\",");
  EXPECT_EQ(csv_error(header() + doubled),
            "line 2, column 13 (c_r0_c3): \"1\\\"2\" is not a number");
  std::string open_quote = row();
  open_quote.replace(open_quote.find(",12.5,"), 6, ",\"12.5,");
  EXPECT_EQ(csv_error(header() + open_quote), "line 2, column 13: a quoted field is not closed");
  std::string after = row();
  after.replace(after.find(",12.5,"), 6, ",\"12\".5,");
  EXPECT_EQ(csv_error(header() + after), "line 2, column 13: text after a closing quote");
}

// A number beyond double range is an error at its place, never infinity;
// "inf" itself is a number, and so is a subnormal that --exact writes.
TEST(RecordedCsv, ANumberBeyondDoubleRangeIsAnError) {
  std::string huge = row();
  huge.replace(huge.find(",12.5,"), 6, ",-1e400,");
  EXPECT_EQ(csv_error(header() + huge),
            "line 2, column 13 (c_r0_c3): \"-1e400\" is beyond the range of a double");
  std::string tiny = row();
  tiny.replace(tiny.find(",12.5,"), 6, ",0x1p-1074,inf,");
  tiny.erase(tiny.find(",13.5,"), 5);
  const StepInputs steps = read_csv_ok(header() + tiny);
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_TRUE(test::same_bits(steps[0].coupling[12], 0x1p-1074));
  EXPECT_TRUE(std::isinf(steps[0].coupling[13]));
}

// Input is echoed in a bounded, escaped excerpt: binary bytes as escapes, a
// long field cut with its length said.
TEST(RecordedCsv, EchoesInputOnlyAsABoundedEscapedExcerpt) {
  std::string binary = row();
  binary.replace(0, 3, std::string("\x01\xff\x1b[2J", 6));
  EXPECT_EQ(csv_error(header() + binary),
            "line 2, column 1 (c_r0_c0): \"\\x01\\xff\\x1b[2J\" is not a number");
  std::string long_field = row();
  long_field.replace(0, 3, std::string(100000, '9') + "x");
  EXPECT_EQ(csv_error(header() + long_field), "line 2, column 1 (c_r0_c0): \"" +
                                                  std::string(80, '9') +
                                                  "...\" (100001 bytes) is not a number");
  EXPECT_EQ(csv_error(header() + std::string(2 << 20, '7')),
            "line 2 is longer than 1048576 bytes; a step takes a few kB");
}

TEST(RecordedCsv, RejectsAHeaderThatDoesNotNameTheColumnsInOrder) {
  EXPECT_EQ(csv_error(row() + row()).rfind("line 1, column 1: header \"0.5\" where \"c_r0_c0\"", 0),
            0u);
  std::string swapped = header();
  swapped.replace(swapped.find("c_r1_c0"), 7, "c_r0_c1");  // row-major by mistake
  EXPECT_EQ(csv_error(swapped + row()).rfind("line 1, column 2: header \"c_r0_c1\" where", 0), 0u);
  EXPECT_EQ(csv_error("c_r0_c0,c_r1_c0\n" + row()).rfind("line 1 has 2 columns, expected 68", 0),
            0u);
}

// The plain reading answers for unquoted decimals and hexadecimal floats with
// the general reading's bits, and leaves every other text to it.
TEST(RecordedCsv, ThePlainReadingGivesTheGeneralReadingsBits) {
  const auto all = [](const std::string& field) {
    std::string line = field;
    for (int c = 1; c < kCsvInputColumnCount; ++c) {
      line += "," + field;
    }
    return line;
  };
  for (const char* field : {"1.5", "-0x1.8p+1", " 2e-3\t", "-0", "0X1P-1074", "4.9e-324", "1e-320",
                            "-.5", "7", "0x.8p1", "1E+05", "-0x0p+0", "179769313486231570e291"}) {
    StepInput plain;
    StepInput general;
    ASSERT_TRUE(read_plain_csv_step(all(field), plain)) << field;
    ASSERT_FALSE(read_general_csv_step(1, all(field), general)) << field;
    EXPECT_TRUE(test::same_bits(plain.coupling[5], general.coupling[5])) << field;
    EXPECT_TRUE(test::same_bits(plain.target[3], general.target[3])) << field;
  }
  StepInput step;
  for (const char* field :
       {"inf", "-nan", "+1", "\"1\"", "1e400", "0x-1p0", "0x1p+-5", "1,", "", "1e", "."}) {
    EXPECT_FALSE(read_plain_csv_step(all(field), step)) << field;
  }
  EXPECT_FALSE(read_plain_csv_step(all("1") + ",1", step));
  EXPECT_FALSE(read_plain_csv_step(all("1").substr(2), step));
}

TEST(RecordedCsv, AFileWithoutStepsIsAnError) {
  EXPECT_EQ(csv_error(""), "no steps to run: the file holds no step lines");
  EXPECT_EQ(csv_error(header()), "no steps to run: the file holds no step lines");
}

TEST(RecordedJsonLines, ReadsNumbersAndHexFloatStrings) {
  std::string coupling = "\"0x1.8p+1\"";
  for (int k = 1; k < kCouplingCount; ++k) {
    coupling += ",0";
  }
  const Read read = read_text(json_step() + json_step(coupling, ", \"name\": \"ignored\""),
                              FileFormat::json_lines);
  ASSERT_EQ(read.error, "no error");
  const auto& steps = read.steps;
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_TRUE(test::same_bits(steps[0].coupling[63], 63.0));
  EXPECT_TRUE(test::same_bits(steps[0].target[3], 4.0));
  EXPECT_TRUE(test::same_bits(steps[1].coupling[0], 3.0));
}

TEST(RecordedJsonLines, NamesTheLineAndEntryOfEveryMalformedStep) {
  EXPECT_EQ(json_error(json_step() + "{\"coupling\": [1,2,}\n")
                .rfind("line 2, column 19: not valid JSON: syntax error", 0),
            0u);
  EXPECT_EQ(json_error(json_step("1,2,3")),
            "line 1, \"coupling\" has 3 entries, expected an array of 64 numbers");
  std::string coupling;
  for (int k = 0; k < kCouplingCount; ++k) {
    coupling += k == 0 ? "" : ",";
    coupling += k == 17 ? "\"x\"" : "0";
  }
  EXPECT_EQ(json_error(json_step(coupling)),
            "line 1, \"coupling\" entry 17: \"x\" is not a number");
  EXPECT_EQ(json_error("{\"coupling\": []}\n").rfind("line 1, \"coupling\" has 0 entries", 0), 0u);
  EXPECT_EQ(json_error(json_step() + "{\"target\": [1, 2, 3, 4]}\n"),
            "line 2, missing \"coupling\"");
  EXPECT_EQ(json_error("[1, 2]\n"),
            "line 1, a step must be a JSON object {\"coupling\": [64], \"target\": [4]}");
  EXPECT_EQ(json_error(json_step("", ", \"targets\": 1")),
            "line 1, unknown key \"targets\" (a step has \"coupling\" and \"target\")");
  EXPECT_EQ(json_error(json_step("", "").replace(20, 1, "1e999")),
            "line 1, column 21: not valid JSON: number beyond the range of a double: \"1e999\"");
  EXPECT_EQ(json_error(json_step("", ", \"\\u0000\\u001b\": 1")),
            "line 1, unknown key \"\\x00\\x1b\" (a step has \"coupling\" and \"target\")");
  EXPECT_EQ(json_error(json_step("", ", \"settings\": {}")),
            "line 1, \"settings\" cannot be replayed: the block solves with its own settings");
}

// A recording is read as the run goes, a step at a time: an input that never
// ends gives its steps, and the steps before a malformed line come before its
// error. Without a format the first line tells it.
TEST(RecordedInputStream, GivesEachStepBeforeReadingTheNext) {
  class EndlessRows : public std::streambuf {
   public:
    EndlessRows() : text_(header()) {
      setg(text_.data(), text_.data(), text_.data() + text_.size());
    }

   protected:
    int_type underflow() override {
      text_ = row();
      setg(text_.data(), text_.data(), text_.data() + text_.size());
      return traits_type::to_int_type(text_[0]);
    }

   private:
    std::string text_;
  };
  EndlessRows rows;
  std::istream endless(&rows);
  RecordedInput input(endless, std::nullopt);
  StepInput step;
  for (int k = 0; k < 10000; ++k) {
    ASSERT_TRUE(input.next(step)) << k;
  }
  EXPECT_TRUE(test::same_bits(step.target[3], 67.5));

  const Read cut = read_text(header() + row() + row() + "1,2,3\n" + row(), std::nullopt);
  EXPECT_EQ(cut.steps.size(), 2u);
  EXPECT_EQ(cut.error.rfind("line 4 has 3 columns", 0), 0u) << cut.error;
  std::string blank_first = "\n";
  blank_first += json_step();
  EXPECT_EQ(read_text(blank_first, std::nullopt).error,
            "line 1 is blank; every line between steps must hold one step");
  EXPECT_EQ(read_text(json_step() + json_step() + "\n\n", std::nullopt).steps.size(), 2u);
}

class RecordedInputFile : public test::ScratchFolderTest {};

TEST_F(RecordedInputFile, NamesTheFileAndRefusesWhatItCannotRead) {
  const auto& dir = dir_;
  const auto missing = dir / "missing.csv";
  EXPECT_EQ(file_error(missing), missing.string() + ": cannot open: No such file or directory");
  EXPECT_EQ(file_error(dir / "steps.txt"),
            (dir / "steps.txt").string() +
                ": unknown input format; name the file .csv or .jsonl, or give - for standard "
                "input");
  const auto folder = dir / "folder.csv";
  std::filesystem::create_directories(folder);
  EXPECT_EQ(file_error(folder), folder.string() + ": cannot open: Is a directory");
  const auto short_line = dir / "short.csv";
  std::ofstream(short_line) << header() << row(10);
  EXPECT_EQ(
      file_error(short_line),
      short_line.string() + ": line 2 has 10 columns, expected 68: column 11 (c_r2_c2) is missing");
}

}  // namespace
}  // namespace sfqp::simulate
