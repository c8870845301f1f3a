// The grid's values and the summary's walks from the base demand, on results
// made up so that every case is known.
#include "tools/envelope/envelope_summary.h"

#include <gtest/gtest.h>

#include <limits>
#include <variant>

namespace sfqp::envelope {
namespace {

Axis axis(const std::string& text) {
  auto parsed = parse_axis(text);
  EXPECT_TRUE(std::holds_alternative<Axis>(parsed)) << text;
  return std::get<Axis>(parsed);
}

TEST(EnvelopeGrid, ValuesAreTheDecimalsTypedAndTheEndsExact) {
  const Axis yaw = axis("yaw:-4:4:161");
  EXPECT_EQ(yaw.entry, 3u);
  EXPECT_EQ(yaw.value(0), -4.0);
  EXPECT_EQ(yaw.value(128), 2.4);
  EXPECT_EQ(yaw.value(160), 4.0);
  const Axis tenth = axis("t1:0.1:0.7:3");
  EXPECT_EQ(tenth.value(0), 0.1);
  EXPECT_EQ(tenth.value(2), 0.7);

  Grid grid{{1.0, 2.0, 3.0, 4.0}, axis("roll:10:20:2"), axis("pitch:30:50:3")};
  EXPECT_EQ(grid.size(), 6u);
  EXPECT_EQ(grid.demand(1), (Demand{1.0, 20.0, 30.0, 4.0}));  // x varies fastest
  EXPECT_EQ(grid.demand(4), (Demand{1.0, 10.0, 50.0, 4.0}));
  const auto demands = sweep_demands(grid);
  ASSERT_EQ(demands.size(), 6u + 2u + 3u);  // the grid, then the lines through the base
  EXPECT_EQ(demands[6], (Demand{1.0, 10.0, 3.0, 4.0}));
  EXPECT_EQ(demands[10], (Demand{1.0, 2.0, 50.0, 4.0}));
}

PointResult point(bool fell_back, bool beyond_reach) {
  PointResult p;
  p.fell_back = fell_back ? 1 : 0;
  p.beyond_reach = beyond_reach ? 1 : 0;
  return p;
}

TEST(EnvelopeSummary, WalksFromTheBaseUpAndDownToTheFirstFallbackAndTheFirstBeyondReach) {
  Vehicle vehicle;
  Grid grid;
  // Swept downward (FROM > TO), base 0 in the middle: values 2, 1, 0, -1, -2.
  grid.x = axis("roll:2:-2:5");
  const std::vector<PointResult> results = {point(true, true), point(false, true),
                                            point(false, false), point(true, false),
                                            point(true, true)};
  const EnvelopeSummary summary = summarise(vehicle, grid, {}, results);
  EXPECT_EQ(summary.points, 5u);
  EXPECT_EQ(summary.fallbacks, 3u);
  EXPECT_EQ(summary.fallbacks_within_reach, 1u);
  EXPECT_EQ(summary.beyond_reach, 3u);
  EXPECT_EQ(summary.beyond_reach_solved, 1u);
  ASSERT_EQ(summary.axes.size(), 1u);
  const AxisEdges& roll = summary.axes[0];
  ASSERT_TRUE(roll.up && roll.down);
  EXPECT_EQ(roll.up->first_fallback, 2.0);
  EXPECT_EQ(roll.up->first_beyond_reach, 1.0);
  EXPECT_EQ(roll.down->first_fallback, -1.0);
  EXPECT_EQ(roll.down->first_beyond_reach, -2.0);

  // A base beyond the swept values: only the walk toward them.
  grid.base[1] = 5.0;
  const EnvelopeSummary beyond = summarise(vehicle, grid, {}, results);
  EXPECT_FALSE(beyond.axes[0].up);
  ASSERT_TRUE(beyond.axes[0].down);
  EXPECT_EQ(beyond.axes[0].down->first_fallback, 2.0);
  const std::string text = summary_text(beyond, vehicle);
  EXPECT_NE(text.find("t1 down from 5: first fallback 2, first beyond reach 2\n"),
            std::string::npos)
      << text;
}

TEST(EnvelopeSummary, TwoAxesWalkTheLinesThroughTheBaseNotTheGrid) {
  Grid grid;
  grid.x = axis("roll:-1:1:3");
  grid.y = axis("pitch:-1:1:2");
  // Every grid point falls back; on the lines only roll 1 and pitch -1 do.
  std::vector<PointResult> results(6, point(true, true));
  for (bool fell_back : {false, false, true, true, false}) {
    results.push_back(point(fell_back, false));
  }
  const EnvelopeSummary summary = summarise(Vehicle{}, grid, {}, results);
  EXPECT_EQ(summary.fallbacks, 6u);
  ASSERT_EQ(summary.axes.size(), 2u);
  EXPECT_EQ(summary.axes[0].up->first_fallback, 1.0);
  EXPECT_FALSE(summary.axes[0].down->first_fallback);
  EXPECT_EQ(summary.axes[1].down->first_fallback, -1.0);
  EXPECT_FALSE(summary.axes[1].up->first_fallback);
}

TEST(EnvelopeSummary, NonFiniteNumbersAreWrittenAsEveryOutputWritesThem) {
  // A coupling too large to sum gives an infinite reach tolerance, a NaN one a
  // NaN; the summary had written both as null, unlike its base and the rows.
  Vehicle vehicle;
  Grid grid;
  grid.base = {std::numeric_limits<double>::infinity(), 0.0, 0.0, 0.0};
  grid.x = axis("roll:-1:1:2");
  const Demand tolerance = {std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN(),
                            -std::numeric_limits<double>::infinity(), 1e-9};
  const std::vector<PointResult> results = {point(false, false), point(false, false)};
  const auto json = summary_json(summarise(vehicle, grid, tolerance, results), vehicle);
  EXPECT_EQ(json["reach_tolerance"], nlohmann::ordered_json({"inf", "nan", "-inf", 1e-9}));
  EXPECT_EQ(json["base"][0], "inf");
  EXPECT_EQ(json["axes"][0]["from"], -1.0);
  EXPECT_EQ(json["axes"][0]["up"]["first_fallback"], nullptr);  // none found: no value
}

}  // namespace
}  // namespace sfqp::envelope
