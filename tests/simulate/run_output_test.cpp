// The run's output rows and its summary: exact numbers that read back to the
// same bits, the names sfqp solve uses, and summary figures that count what happened.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include "solver/instruction_set.h"
#include "tests/support/bits.h"
#include "tools/io/problem_json.h"
#include "tools/simulate/run_summary.h"
#include "tools/simulate/run_writer.h"

namespace sfqp::simulate {
namespace {

class RunWriterTest : public ::testing::Test {
 protected:
  static StepRecord record() {
    StepRecord r;
    r.step = 7;
    r.time = 0.007;
    for (std::size_t k = 0; k < r.output1.size(); ++k) {
      r.output1[k] = 1.0 / static_cast<double>(k + 3);
    }
    r.iterations = 9;
    r.converged = true;
    r.objv = 2.5;
    r.objv_current = true;
    r.target = {1.0, 2.0, 3.0, 4.0};
    r.achieved = {1.0, 2.0, 3.0, std::numeric_limits<double>::quiet_NaN()};
    r.bit_identical = true;
    return r;
  }
};

TEST_F(RunWriterTest, ExactCsvReadsBackToTheSameBits) {
  std::ostringstream out;
  RunWriter writer(out, {FileFormat::csv, true, false});
  writer.write(record());
  std::istringstream lines(out.str());
  std::string header, row;
  std::getline(lines, header);
  std::getline(lines, row);
  EXPECT_EQ(header.rfind("step,time,output1_0,output1_1,", 0), 0u);
  EXPECT_EQ(header.substr(header.size() - 11), ",output1_15");
  std::istringstream fields(row);
  std::string field;
  std::getline(fields, field, ',');
  EXPECT_EQ(field, "7");
  std::getline(fields, field, ',');
  EXPECT_EQ(field, io::hex_float(0.007));
  for (std::size_t k = 0; k < 16; ++k) {
    ASSERT_TRUE(std::getline(fields, field, ','));
    EXPECT_TRUE(test::same_bits(record().output1[k], std::strtod(field.c_str(), nullptr)));
  }
  EXPECT_FALSE(std::getline(fields, field, ','));
}

TEST_F(RunWriterTest, DiagnosticJsonLinesNameOutput1AsSolveDoesAndKeepNaN) {
  std::ostringstream out;
  RunWriter writer(out, {FileFormat::json_lines, false, true});
  StepRecord stale = record();
  stale.objv_current = false;
  writer.write(record());
  writer.write(stale);
  std::istringstream lines(out.str());
  std::string line;
  std::getline(lines, line);
  const auto row = nlohmann::json::parse(line);
  EXPECT_EQ(row["step"], 7);
  EXPECT_EQ(row["output1"].size(), 16u);
  EXPECT_TRUE(test::same_bits(row["output1"][2].get<double>(), 0.2));
  EXPECT_EQ(row["iterations"], 9);
  EXPECT_EQ(row["converged"], 1);
  EXPECT_EQ(row["objv"], 2.5);
  EXPECT_EQ(row["achieved"][3], "nan");  // never null: the value is not lost
  EXPECT_EQ(row["bit_identical"], 1);
  std::getline(lines, line);
  EXPECT_TRUE(nlohmann::json::parse(line)["objv"].is_null());
}

// The quantiles are measured times, at most one bin (0.54%) below the
// nearest-rank sample, in the same memory however many times are added.
TEST(TimeHistogram, GivesTheNearestRankToWithinABin) {
  TimeHistogram spread;
  for (int k = 200; k >= 1; --k) {
    spread.add(static_cast<double>(k) * 1e-6);
  }
  EXPECT_EQ(spread.statistics().median, 100.0 * 1e-6);
  EXPECT_EQ(spread.statistics().p99, 198.0 * 1e-6);

  TimeHistogram close;
  for (int k = 1; k <= 1000; ++k) {
    close.add(2e-6 * (1.0 + static_cast<double>(k) * 1e-5));
  }
  const double median_sample = 2e-6 * (1.0 + 500 * 1e-5);
  EXPECT_LE(close.statistics().median, median_sample);
  EXPECT_GE(close.statistics().median, median_sample * (1.0 - 0.0055));

  TimeHistogram extremes;
  extremes.add(0.0);
  extremes.add(5000.0);
  EXPECT_EQ(extremes.statistics().median, 0.0);
  EXPECT_EQ(extremes.statistics().p99, 5000.0);
  EXPECT_EQ(TimeHistogram().statistics().median, 0.0);
}

TEST(RunSummary, CountsFallbacksIterationsErrorsAndDifferences) {
  SummaryBuilder builder("scenario test", 0.001);
  StepRecord r;
  r.target = {10.0, 0.0, 0.0, 0.0};
  r.achieved = {10.0, 0.5, 0.0, 0.0};
  r.iterations = 8;
  r.bit_identical = true;
  builder.add(r, 2e-6, 1e-6);
  r.step = 1;
  r.iterations = 25;
  r.fell_back = true;
  r.achieved = {0.0, 0.0, 0.0, 0.0};  // zeros: all of the thrust is missing
  builder.add(r, 4e-6, 2e-6);
  r.step = 2;
  r.iterations = 8;
  r.fell_back = false;
  r.bit_identical = false;
  r.achieved = {10.0, 0.0, 0.0, 0.0};
  builder.add(r, 2e-6, 1e-6);
  const RunSummary s = builder.finish();
  EXPECT_EQ(s.steps, 3u);
  EXPECT_EQ(s.fallbacks, 1u);
  EXPECT_EQ(s.first_fallback, 1u);
  EXPECT_EQ(s.iteration_counts.at(8), 2u);
  EXPECT_EQ(s.iteration_counts.at(25), 1u);
  EXPECT_EQ(s.largest_error.value, 10.0);
  EXPECT_EQ(s.largest_error.step, 1u);
  EXPECT_EQ(s.largest_error.control, 0);
  EXPECT_EQ(s.largest_error_per_control[1], 0.5);
  EXPECT_EQ(s.largest_error_solved.value, 0.5);  // the fallback's 10 is not a solved step's
  EXPECT_EQ(s.largest_error_solved.control, 1);
  EXPECT_EQ(s.bit_identical_steps, 2u);
  EXPECT_EQ(s.first_difference, 2u);
  EXPECT_EQ(s.host_step.median, 2e-6);
  const std::string text = summary_text(s);
  EXPECT_NE(text.find("fell back to zeros: 1 steps (first at step 1)"), std::string::npos);
  EXPECT_NE(text.find("DIFFER at 1 steps (first at step 2)"), std::string::npos);
  const auto json = summary_json(s);
  EXPECT_EQ(json["iterations"]["25"], 1);
  EXPECT_EQ(json["host_to_core_ratio"], 2.0);
  // Which build of the arithmetic the times belong to.
  const std::string set(instruction_set_name(active_instruction_set()));
  EXPECT_NE(text.find("time per solve, core API (" + set + " build)"), std::string::npos);
  EXPECT_EQ(json["instruction_set"], set);
}

TEST(RunSummary, ANaNErrorIsTheLargest) {
  SummaryBuilder builder("input nan.csv", 0.001);
  StepRecord r;
  r.target = {1.0, 0.0, 0.0, 0.0};
  r.achieved = {2.0, 0.0, 0.0, 0.0};
  builder.add(r, 0.0, 0.0);
  r.step = 1;
  r.target[2] = std::numeric_limits<double>::quiet_NaN();
  builder.add(r, 0.0, 0.0);
  const RunSummary s = builder.finish();
  EXPECT_TRUE(std::isnan(s.largest_error.value));
  EXPECT_EQ(s.largest_error.step, 1u);
  EXPECT_EQ(s.largest_error.control, 2);
  // Written as every JSON of the tool writes a NaN, never as null.
  EXPECT_EQ(summary_json(s)["largest_allocation_error"]["value"], "nan");
}

}  // namespace
}  // namespace sfqp::simulate
