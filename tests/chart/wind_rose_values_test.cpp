#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "chart/wind_rose.h"
#include "chart_test_support.h"

namespace corvane::chart {
namespace {

using testing_support::AddPlainAxis;
using testing_support::TestRose;

double StoredValue(const WindRose& chart, int axis, int series) {
  double value = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(chart.GetSeriesValue(axis, &value, series));
  return value;
}

ValueState StoredState(const WindRose& chart, int axis, int series) {
  ValueState state = ValueState::kNormal;
  EXPECT_TRUE(chart.GetValueState(axis, &state, series));
  return state;
}

struct StoreCase {
  const char* label;
  bool inverse;
  double max_value, critical_value, multiplier;
  double raw;
  double stored;
  ValueState state;
};

class SetSeriesValueTest : public testing::TestWithParam<StoreCase> {};

TEST_P(SetSeriesValueTest, DividesInvertsAndFlagsCritical) {
  const StoreCase& c = GetParam();
  WindRose chart(32, 4);
  ASSERT_TRUE(chart.AddSeries("s", ""));
  ASSERT_TRUE(
      AddPlainAxis(chart, 0, c.max_value, c.critical_value, c.multiplier, c.inverse, nullptr));
  ASSERT_TRUE(chart.SetValueState(0, ValueState::kNotAvailable, 0));
  EXPECT_TRUE(chart.SetSeriesValue(0, c.raw, 0));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kNone);
  EXPECT_DOUBLE_EQ(StoredValue(chart, 0, 0), c.stored);
  EXPECT_EQ(StoredState(chart, 0, 0), c.state) << "every store recomputes the state";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetSeriesValueTest,
    testing::Values(
        StoreCase{"Plain", false, 100, 80, 1, 50, 50, ValueState::kNormal},
        StoreCase{"EqualToCriticalIsNormal", false, 100, 80, 1, 80, 80, ValueState::kNormal},
        StoreCase{"JustAboveCritical", false, 100, 80, 1, 80.001, 80.001, ValueState::kCritical},
        StoreCase{"AboveMaxIsKept", false, 100, 80, 1, 250, 250, ValueState::kCritical},
        StoreCase{"Negative", false, 100, 80, 1, -5, -5, ValueState::kNormal},
        StoreCase{"MegabytesToKilobytes", false, 2048, 1500, 1024, 1048576, 1024,
                  ValueState::kNormal},
        StoreCase{"DividedBeforeCriticalTest", false, 100, 80, 10, 900, 90, ValueState::kCritical},
        StoreCase{"ZeroMultiplierDividesByOne", false, 100, 80, 0, 5, 5, ValueState::kNormal},
        StoreCase{"InverseBelowMax", true, 100, 80, 1, 30, 70, ValueState::kNormal},
        StoreCase{"InverseCriticalAppliesToInverted", true, 100, 80, 1, 15, 85,
                  ValueState::kCritical},
        StoreCase{"InverseAboveMaxIsZero", true, 100, 80, 1, 120, 0, ValueState::kNormal},
        StoreCase{"InverseAtMaxIsZero", true, 100, 80, 1, 100, 0, ValueState::kNormal},
        StoreCase{"InverseNegativeRaw", true, 100, 80, 1, -10, 110, ValueState::kCritical},
        StoreCase{"InverseAfterDivision", true, 100, 80, 1024, 30720, 70, ValueState::kNormal}),
    [](const testing::TestParamInfo<StoreCase>& info) { return info.param.label; });

TEST(WindRoseValues, NonFiniteReadingsAreRefusedAndKeepThePreviousValue) {
  WindRose chart(32, 4);
  ASSERT_TRUE(chart.AddSeries("s", ""));
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80));
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80, 1e-300));
  ASSERT_TRUE(chart.SetSeriesValue(0, 90, 0));
  ASSERT_TRUE(chart.SetSeriesValue(1, 1e-290, 0));  // stored as 1e10
  for (double raw :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity()}) {
    EXPECT_FALSE(chart.SetSeriesValue(0, raw, 0)) << raw;
    EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kValueOutOfRange);
  }
  EXPECT_FALSE(chart.SetSeriesValue(1, 1e300, 0)) << "division overflows to infinity";
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kValueOutOfRange);
  EXPECT_EQ(StoredValue(chart, 0, 0), 90);
  EXPECT_EQ(StoredState(chart, 0, 0), ValueState::kCritical);
  EXPECT_DOUBLE_EQ(StoredValue(chart, 1, 0), 1e10);
}

TEST(WindRoseValues, ValuesOfOneSeriesAndAxisStayApart) {
  WindRose chart(32, 4);
  for (int s = 0; s < 3; ++s) ASSERT_TRUE(chart.AddSeries("s", ""));
  for (int a = 0; a < 3; ++a) ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80));
  for (int a = 0; a < 3; ++a) {
    for (int s = 0; s < 3; ++s) ASSERT_TRUE(chart.SetSeriesValue(a, a * 10 + s, s));
  }
  for (int a = 0; a < 3; ++a) {
    for (int s = 0; s < 3; ++s) EXPECT_EQ(StoredValue(chart, a, s), a * 10 + s);
  }
}

struct StateCase {
  const char* label;
  bool inverse;
  ValueState state;
  double value_after;
};

class SetValueStateTest : public testing::TestWithParam<StateCase> {};

TEST_P(SetValueStateTest, StoresStateAndClearsInverseValuesWhenNotAvailable) {
  const StateCase& c = GetParam();
  WindRose chart(32, 4);
  ASSERT_TRUE(chart.AddSeries("s", ""));
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80, 1, c.inverse));
  ASSERT_TRUE(chart.SetSeriesValue(0, 30, 0));
  EXPECT_TRUE(chart.SetValueState(0, c.state, 0));
  EXPECT_EQ(StoredState(chart, 0, 0), c.state);
  EXPECT_EQ(StoredValue(chart, 0, 0), c.value_after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetValueStateTest,
    testing::Values(StateCase{"InverseNotAvailable", true, ValueState::kNotAvailable, 0},
                    StateCase{"InverseCritical", true, ValueState::kCritical, 70},
                    StateCase{"PlainNotAvailableKeepsValue", false, ValueState::kNotAvailable, 30},
                    StateCase{"PlainNormal", false, ValueState::kNormal, 30}),
    [](const testing::TestParamInfo<StateCase>& info) { return info.param.label; });

TEST(WindRoseValues, UnknownStateIsRefused) {
  WindRose chart(32, 4);
  ASSERT_TRUE(chart.AddSeries("s", ""));
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80));
  ASSERT_TRUE(chart.SetSeriesValue(0, 90, 0));
  EXPECT_FALSE(chart.SetValueState(0, static_cast<ValueState>(3), 0));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kValueOutOfRange);
  EXPECT_FALSE(chart.SetValueState(0, static_cast<ValueState>(-1), 0));
  EXPECT_EQ(StoredState(chart, 0, 0), ValueState::kCritical);
}

TEST(WindRoseValues, SetAxisInverseMirrorsStoredValuesWithoutRecomputingStates) {
  WindRose chart(32, 4);
  for (int s = 0; s < 4; ++s) ASSERT_TRUE(chart.AddSeries("s", ""));
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 50));
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 50));  // a neighbour that must stay untouched
  ASSERT_TRUE(chart.SetSeriesValue(0, 30, 0));   // normal
  ASSERT_TRUE(chart.SetSeriesValue(0, 0, 1));
  ASSERT_TRUE(chart.SetValueState(0, ValueState::kNotAvailable, 1));  // not available
  ASSERT_TRUE(chart.SetSeriesValue(0, 60, 2));                        // critical
  ASSERT_TRUE(chart.SetSeriesValue(0, 120, 3));                       // beyond max
  ASSERT_TRUE(chart.SetSeriesValue(1, 30, 0));

  ASSERT_TRUE(chart.SetAxisInverse(0, true));
  EXPECT_EQ(StoredValue(chart, 0, 0), 70);
  EXPECT_EQ(StoredValue(chart, 0, 1), 0);
  EXPECT_EQ(StoredValue(chart, 0, 2), 40);
  EXPECT_EQ(StoredState(chart, 0, 2), ValueState::kCritical) << "states are not recomputed";
  EXPECT_EQ(StoredValue(chart, 0, 3), 0);
  EXPECT_EQ(StoredValue(chart, 1, 0), 30);

  ASSERT_TRUE(chart.SetAxisInverse(0, true));  // no change, no second conversion
  EXPECT_EQ(StoredValue(chart, 0, 0), 70);

  ASSERT_TRUE(chart.SetAxisInverse(0, false));
  EXPECT_EQ(StoredValue(chart, 0, 0), 30);
  EXPECT_EQ(StoredValue(chart, 0, 2), 60);
}

// Radius with R = 200 pixels; expected in fractions of R.
struct RadiusCase {
  const char* label;
  int border;  // percent
  double max_value, critical_value;
  double value;
  double fraction;
};

class RadiusTest : public testing::TestWithParam<RadiusCase> {};

TEST_P(RadiusTest, ScalesPiecewiseAndClampsAtR) {
  const RadiusCase& c = GetParam();
  TestRose chart;
  ASSERT_TRUE(chart.AddSeries("s", ""));
  ASSERT_TRUE(chart.AddAxis("a", "", false, std::min(0.0, c.critical_value), c.max_value,
                            c.critical_value, 1, nullptr));
  ASSERT_TRUE(chart.SetCriticalBorder(c.border));
  ASSERT_TRUE(chart.SetSeriesValue(0, c.value, 0));
  chart.SetChartRadius(200);
  EXPECT_NEAR(chart.Radius(0, 0), c.fraction * 200, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RadiusTest,
    testing::Values(RadiusCase{"AtCritical", 80, 100, 50, 50, 0.8},
                    RadiusCase{"HalfwayOuter", 80, 100, 50, 75, 0.9},
                    RadiusCase{"AtMax", 80, 100, 50, 100, 1.0},
                    RadiusCase{"BeyondMaxClamped", 80, 100, 50, 150, 1.0},
                    RadiusCase{"HalfwayInner", 80, 100, 50, 25, 0.4},
                    RadiusCase{"Zero", 80, 100, 50, 0, 0.0},
                    RadiusCase{"NegativeNotClamped", 80, 100, 50, -25, -0.4},
                    RadiusCase{"FarNegativeBeyondR", 80, 100, 50, -100, -1.6},
                    RadiusCase{"LinearZeroMaxAtOne", 0, 0, 0, 1, 1.0},
                    RadiusCase{"LinearZeroMaxAtHalf", 0, 0, 0, 0.5, 0.5},
                    RadiusCase{"Linear", 0, 100, 80, 50, 0.5},
                    RadiusCase{"LinearClamped", 0, 100, 80, 200, 1.0},
                    RadiusCase{"ZeroCriticalOuter", 80, 100, 0, 50, 0.9},
                    RadiusCase{"ZeroCriticalAtZero", 80, 100, 0, 0, 0.0},
                    RadiusCase{"ZeroCriticalNegativeDividesByOne", 80, 100, 0, -1, -0.8},
                    RadiusCase{"CriticalAtMaxOuterDividesByOne", 80, 50, 50, 50.5, 0.9},
                    RadiusCase{"CriticalAtMaxOuterClamped", 80, 50, 50, 60, 1.0},
                    RadiusCase{"AllZeroScaleOuter", 80, 0, 0, 0.25, 0.85},
                    RadiusCase{"FullBorderInner", 100, 100, 50, 25, 0.5},
                    RadiusCase{"FullBorderOuterStaysAtR", 100, 100, 50, 75, 1.0}),
    [](const testing::TestParamInfo<RadiusCase>& info) { return info.param.label; });

TEST(WindRoseRadius, UsesTheInvertedStoredValueAndTheCurrentRadius) {
  TestRose chart;
  ASSERT_TRUE(chart.AddSeries("s", ""));
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 50, 1, true));
  ASSERT_TRUE(chart.SetSeriesValue(0, 75, 0));  // stored 25
  chart.SetChartRadius(100);
  EXPECT_DOUBLE_EQ(chart.Radius(0, 0), 40);
  chart.SetChartRadius(0);
  EXPECT_DOUBLE_EQ(chart.Radius(0, 0), 0);
  EXPECT_EQ(chart.Radius(1, 0), 0) << "unknown axis";
  EXPECT_EQ(chart.Radius(0, 1), 0) << "unknown series";
}

TEST(WindRoseSeries, NewSeriesStartsVisibleUnpennedWithZeroValues) {
  WindRose chart(3, 4);
  for (int a = 0; a < 3; ++a) ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80));
  ASSERT_TRUE(chart.AddSeries("Current Values", "now"));
  std::string_view text;
  ASSERT_TRUE(chart.GetSeriesName(0, &text));
  EXPECT_EQ(text, "Current Values");
  ASSERT_TRUE(chart.GetSeriesDescription(0, &text));
  EXPECT_EQ(text, "now");
  bool visible = false;
  ASSERT_TRUE(chart.GetSeriesVisible(0, &visible));
  EXPECT_TRUE(visible);
  std::optional<Pen> pen = Pen{};
  ASSERT_TRUE(chart.GetSeriesPen(0, &pen));
  EXPECT_FALSE(pen.has_value());
  Colour text_colour = 0, back_colour = 0;
  ASSERT_TRUE(chart.GetSeriesTextColors(0, &text_colour, &back_colour));
  EXPECT_EQ(text_colour, kNoColour);
  EXPECT_EQ(back_colour, kNoColour);
  for (int a = 0; a < 3; ++a) {
    EXPECT_EQ(StoredValue(chart, a, 0), 0);
    EXPECT_EQ(StoredState(chart, a, 0), ValueState::kNormal);
  }
  EXPECT_EQ(chart.GetSeriesPoints(0).size(), 4u) << "axis count + 1 points";
  EXPECT_TRUE(chart.GetSeriesPoints(1).empty());
}

TEST(WindRoseSeries, AddSeriesValidatesAndRemoveAllSeriesMakesRoom) {
  WindRose chart(32, 2);
  EXPECT_FALSE(chart.AddSeries(std::nullopt, ""));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kTextMissing);
  EXPECT_FALSE(chart.AddSeries("s", std::nullopt));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kTextMissing);
  EXPECT_EQ(chart.GetSeriesCount(), 0);
  EXPECT_FALSE(chart.IsModified());

  ASSERT_TRUE(chart.AddSeries("a", ""));
  ASSERT_TRUE(chart.AddSeries("b", ""));
  EXPECT_FALSE(chart.AddSeries("c", ""));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kNoRoom);
  ASSERT_TRUE(chart.SetSeriesVisible(1, false));

  EXPECT_TRUE(chart.RemoveAllSeries());
  EXPECT_EQ(chart.GetSeriesCount(), 0);
  ASSERT_TRUE(chart.AddSeries("c", ""));
  bool visible = false;
  ASSERT_TRUE(chart.GetSeriesVisible(0, &visible));
  EXPECT_TRUE(visible);
}

TEST(WindRoseSeries, PensAndColoursAreStoredPerSeries) {
  WindRose chart(32, 4);
  ASSERT_TRUE(chart.AddSeries("max", ""));
  ASSERT_TRUE(chart.AddSeries("cur", ""));
  ASSERT_TRUE(chart.SetSeriesPen(1, PenStyle::kSolid, 2, 0x00FFFF));
  ASSERT_TRUE(chart.SetSeriesTextColors(0, 0xFFFF7F, kNoColour));

  std::optional<Pen> pen;
  ASSERT_TRUE(chart.GetSeriesPen(1, &pen));
  EXPECT_EQ(pen, (Pen{PenStyle::kSolid, 2, 0x00FFFF}));
  ASSERT_TRUE(chart.GetSeriesPen(0, &pen));
  EXPECT_FALSE(pen.has_value());

  EXPECT_FALSE(chart.SetSeriesPen(1, static_cast<PenStyle>(42), 1, 0));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kPenCreation);
  EXPECT_FALSE(chart.SetSeriesPen(1, PenStyle::kSolid, -1, 0));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kPenCreation);
  ASSERT_TRUE(chart.GetSeriesPen(1, &pen));
  EXPECT_EQ(pen, (Pen{PenStyle::kSolid, 2, 0x00FFFF})) << "a refused pen keeps the old one";

  Colour text = 0, back = 0;
  ASSERT_TRUE(chart.GetSeriesTextColors(0, &text, &back));
  EXPECT_EQ(text, 0xFFFF7F);
  EXPECT_EQ(back, kNoColour);
}

}  // namespace
}  // namespace corvane::chart
