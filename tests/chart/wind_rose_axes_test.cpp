#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "chart/wind_rose.h"
#include "chart_test_support.h"

namespace corvane::chart {
namespace {

using testing_support::AddPlainAxis;
using testing_support::NumberedItem;
using testing_support::TestRose;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct AxisScale {
  double min_value = 0;
  double max_value = 0;
  double critical_value = 0;
  double multiplier = 0;
  bool inverse = false;

  bool operator==(const AxisScale&) const = default;
};

AxisScale ScaleOf(const WindRose& chart, int index) {
  AxisScale s;
  EXPECT_TRUE(chart.GetAxisMin(index, &s.min_value));
  EXPECT_TRUE(chart.GetAxisMax(index, &s.max_value));
  EXPECT_TRUE(chart.GetAxisCritical(index, &s.critical_value));
  EXPECT_TRUE(chart.GetAxisMultiplier(index, &s.multiplier));
  EXPECT_TRUE(chart.GetAxisInverse(index, &s.inverse));
  return s;
}

TEST(WindRoseConstruction, NegativeCapacitiesFallBackToDefaultsWithError1) {
  WindRose chart(-1, -7);
  EXPECT_EQ(chart.GetAxisCapacity(), 32);
  EXPECT_EQ(chart.GetSeriesCapacity(), 4);
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kIndexOutOfRange);
  EXPECT_FALSE(chart.IsModified());
}

TEST(WindRoseConstruction, GivenCapacitiesAreHonoured) {
  WindRose chart(2, 1);
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kNone);
  EXPECT_TRUE(AddPlainAxis(chart, 0, 1, 1));
  EXPECT_TRUE(AddPlainAxis(chart, 0, 1, 1));
  EXPECT_FALSE(AddPlainAxis(chart, 0, 1, 1));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kNoRoom);
  EXPECT_TRUE(chart.AddSeries("s", ""));
  EXPECT_FALSE(chart.AddSeries("t", ""));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kNoRoom);
  EXPECT_EQ(chart.GetAxisCount(), 2);
  EXPECT_EQ(chart.GetSeriesCount(), 1);
}

TEST(WindRoseConstruction, ZeroCapacityRefusesEverything) {
  WindRose chart(0, 0);
  EXPECT_FALSE(AddPlainAxis(chart, 0, 1, 1));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kNoRoom);
  EXPECT_FALSE(chart.AddSeries("s", ""));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kNoRoom);
}

struct AddAxisCase {
  const char* label;
  Text name;
  Text description;
  double min_value, max_value, critical_value, multiplier;
  ChartError expected;
};

class AddAxisTest : public testing::TestWithParam<AddAxisCase> {};

TEST_P(AddAxisTest, ValidatesScaleAndTexts) {
  const AddAxisCase& c = GetParam();
  WindRose chart(32, 4);
  const bool ok = chart.AddAxis(c.name, c.description, false, c.min_value, c.max_value,
                                c.critical_value, c.multiplier, nullptr);
  EXPECT_EQ(ok, c.expected == ChartError::kNone);
  EXPECT_EQ(chart.GetLastErrorCode(), c.expected);
  EXPECT_EQ(chart.GetAxisCount(), ok ? 1 : 0);
  EXPECT_EQ(chart.IsModified(), ok) << "only a successful AddAxis marks the chart modified";
  if (ok) {
    EXPECT_EQ(ScaleOf(chart, 0),
              (AxisScale{c.min_value, c.max_value, c.critical_value, c.multiplier, false}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddAxisTest,
    testing::Values(
        AddAxisCase{"CriticalAtMax", "cpu", "", 0, 100, 100, 1, ChartError::kNone},
        AddAxisCase{"CriticalAboveMax", "cpu", "", 0, 100, 101, 1, ChartError::kValueOutOfRange},
        AddAxisCase{"AllZero", "cpu", "", 0, 0, 0, 1, ChartError::kNone},
        AddAxisCase{"MinAboveMax", "cpu", "", 10, 5, 5, 1, ChartError::kValueOutOfRange},
        AddAxisCase{"MinAboveCritical", "cpu", "", 50, 100, 40, 1, ChartError::kValueOutOfRange},
        AddAxisCase{"NegativeScale", "t", "", -40, -10, -20, 1, ChartError::kNone},
        AddAxisCase{"ZeroMultiplierAllowed", "cpu", "", 0, 100, 80, 0, ChartError::kNone},
        AddAxisCase{"NaNMax", "cpu", "", 0, kNaN, 80, 1, ChartError::kValueOutOfRange},
        AddAxisCase{"InfiniteMax", "cpu", "", 0, kInf, 80, 1, ChartError::kValueOutOfRange},
        AddAxisCase{"NaNMultiplier", "cpu", "", 0, 100, 80, kNaN, ChartError::kValueOutOfRange},
        AddAxisCase{"EmptyTextsArePresent", "", "", 0, 100, 80, 1, ChartError::kNone},
        AddAxisCase{"NameMissing", std::nullopt, "", 0, 100, 80, 1, ChartError::kTextMissing},
        AddAxisCase{"DescriptionMissing", "cpu", std::nullopt, 0, 100, 80, 1,
                    ChartError::kTextMissing},
        AddAxisCase{"ScaleCheckedBeforeTexts", std::nullopt, "", 0, 100, 101, 1,
                    ChartError::kValueOutOfRange}),
    [](const testing::TestParamInfo<AddAxisCase>& info) { return info.param.label; });

TEST(WindRoseAxes, ThirtyThirdAxisFailsWithNoRoomAndKeepsThirtyTwo) {
  WindRose chart(32, 4);
  for (int i = 0; i < 32; ++i) ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80)) << i;
  chart.SetModified(false);
  NumberedItem item(33);
  EXPECT_FALSE(chart.AddAxis("extra", "", false, 0, 100, 80, 1, &item));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kNoRoom);
  EXPECT_EQ(chart.GetAxisCount(), 32);
  EXPECT_FALSE(chart.IsModified());
}

TEST(WindRoseAxes, TextsAreCopiedAndMissingIsKeptApartFromEmpty) {
  TestRose chart;
  std::string name = "% CPU";
  std::string description = "processor load";
  ASSERT_TRUE(chart.AddAxis(name, description, false, 0, 100, 80, 1, nullptr));
  name = "changed";
  description = "changed";
  Text got;
  ASSERT_TRUE(chart.GetAxisName(0, &got));
  EXPECT_EQ(got, "% CPU");
  ASSERT_TRUE(chart.GetAxisDescription(0, &got));
  EXPECT_EQ(got, "processor load");

  // An axis the profile reader appends has neither text until its lines arrive.
  ASSERT_TRUE(chart.AddAxis("", "", false, 0, 1, 1, 1, nullptr));
  ASSERT_TRUE(chart.GetAxisName(1, &got));
  ASSERT_TRUE(got.has_value());
  EXPECT_TRUE(got->empty());
}

struct RenameCase {
  const char* label;
  const char* initial;
  Text rename;
  ChartError expected;
  bool modified;
  const char* final_name;
};

class SetAxisNameTest : public testing::TestWithParam<RenameCase> {};

TEST_P(SetAxisNameTest, ReplacesOnlyWhenDifferent) {
  const RenameCase& c = GetParam();
  WindRose chart(32, 4);
  ASSERT_TRUE(chart.AddAxis(c.initial, "", false, 0, 100, 80, 1, nullptr));
  chart.SetModified(false);
  EXPECT_EQ(chart.SetAxisName(0, c.rename), c.expected == ChartError::kNone);
  EXPECT_EQ(chart.GetLastErrorCode(), c.expected);
  EXPECT_EQ(chart.IsModified(), c.modified);
  Text got;
  ASSERT_TRUE(chart.GetAxisName(0, &got));
  EXPECT_EQ(got, c.final_name);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetAxisNameTest,
    testing::Values(RenameCase{"Different", "cpu", "disk", ChartError::kNone, true, "disk"},
                    RenameCase{"Same", "cpu", "cpu", ChartError::kNone, false, "cpu"},
                    RenameCase{"CaseDiffers", "cpu", "CPU", ChartError::kNone, true, "CPU"},
                    RenameCase{"ToEmpty", "cpu", "", ChartError::kNone, true, ""},
                    RenameCase{"Missing", "cpu", std::nullopt, ChartError::kTextMissing, false,
                               "cpu"}),
    [](const testing::TestParamInfo<RenameCase>& info) { return info.param.label; });

// Every setter on an axis with min 0, max 100, critical 80 and multiplier 1.
struct ScaleSetterCase {
  const char* label;
  bool (WindRose::*set)(int, double);
  double value;
  ChartError expected;
  AxisScale after;  // the whole scale afterwards
  bool modified;
};

class ScaleSetterTest : public testing::TestWithParam<ScaleSetterCase> {};

TEST_P(ScaleSetterTest, KeepsMinCriticalMaxOrderAndLeavesScaleOnFailure) {
  const ScaleSetterCase& c = GetParam();
  WindRose chart(32, 4);
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80));
  chart.SetModified(false);
  EXPECT_EQ((chart.*c.set)(0, c.value), c.expected == ChartError::kNone);
  EXPECT_EQ(chart.GetLastErrorCode(), c.expected);
  EXPECT_EQ(ScaleOf(chart, 0), c.after);
  EXPECT_EQ(chart.IsModified(), c.modified);
}

constexpr AxisScale kStart{0, 100, 80, 1, false};

AxisScale With(double AxisScale::*field, double value) {
  AxisScale s = kStart;
  s.*field = value;
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScaleSetterTest,
    testing::Values(ScaleSetterCase{"MinAboveCritical", &WindRose::SetAxisMin, 90,
                                    ChartError::kValueOutOfRange, kStart, false},
                    ScaleSetterCase{"MinAboveMax", &WindRose::SetAxisMin, 101,
                                    ChartError::kValueOutOfRange, kStart, false},
                    ScaleSetterCase{"MinAtCritical", &WindRose::SetAxisMin, 80, ChartError::kNone,
                                    With(&AxisScale::min_value, 80), true},
                    ScaleSetterCase{"MinNegative", &WindRose::SetAxisMin, -5, ChartError::kNone,
                                    With(&AxisScale::min_value, -5), true},
                    ScaleSetterCase{"MinUnchanged", &WindRose::SetAxisMin, 0, ChartError::kNone,
                                    kStart, false},
                    ScaleSetterCase{"MinNaN", &WindRose::SetAxisMin, kNaN,
                                    ChartError::kValueOutOfRange, kStart, false},
                    ScaleSetterCase{"MaxBelowCritical", &WindRose::SetAxisMax, 79,
                                    ChartError::kValueOutOfRange, kStart, false},
                    ScaleSetterCase{"MaxBelowMin", &WindRose::SetAxisMax, -1,
                                    ChartError::kValueOutOfRange, kStart, false},
                    ScaleSetterCase{"MaxAtCritical", &WindRose::SetAxisMax, 80, ChartError::kNone,
                                    With(&AxisScale::max_value, 80), true},
                    ScaleSetterCase{"MaxUnchanged", &WindRose::SetAxisMax, 100, ChartError::kNone,
                                    kStart, false},
                    ScaleSetterCase{"MaxInfinite", &WindRose::SetAxisMax, kInf,
                                    ChartError::kValueOutOfRange, kStart, false},
                    ScaleSetterCase{"CriticalAboveMax", &WindRose::SetAxisCritical, 101,
                                    ChartError::kValueOutOfRange, kStart, false},
                    ScaleSetterCase{"CriticalBelowMin", &WindRose::SetAxisCritical, -1,
                                    ChartError::kValueOutOfRange, kStart, false},
                    ScaleSetterCase{"CriticalAtMax", &WindRose::SetAxisCritical, 100,
                                    ChartError::kNone, With(&AxisScale::critical_value, 100), true},
                    ScaleSetterCase{"CriticalAtMin", &WindRose::SetAxisCritical, 0,
                                    ChartError::kNone, With(&AxisScale::critical_value, 0), true},
                    ScaleSetterCase{"MultiplierZero", &WindRose::SetAxisMultiplier, 0,
                                    ChartError::kValueOutOfRange, kStart, false},
                    ScaleSetterCase{"MultiplierNegativeZero", &WindRose::SetAxisMultiplier, -0.0,
                                    ChartError::kValueOutOfRange, kStart, false},
                    ScaleSetterCase{"MultiplierNaN", &WindRose::SetAxisMultiplier, kNaN,
                                    ChartError::kValueOutOfRange, kStart, false},
                    ScaleSetterCase{"MultiplierKilo", &WindRose::SetAxisMultiplier, 1024,
                                    ChartError::kNone, With(&AxisScale::multiplier, 1024), true},
                    ScaleSetterCase{"MultiplierUnchanged", &WindRose::SetAxisMultiplier, 1,
                                    ChartError::kNone, kStart, false}),
    [](const testing::TestParamInfo<ScaleSetterCase>& info) { return info.param.label; });

// Each indexed operation, given an index just outside the axes (or series), fails with code 1
// and changes nothing.
struct IndexCase {
  const char* label;
  std::function<bool(WindRose&, int bad)> op;
};

class IndexOutOfRangeTest : public testing::TestWithParam<IndexCase> {};

TEST_P(IndexOutOfRangeTest, FailsWithCode1) {
  WindRose chart(32, 4);
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80));
  ASSERT_TRUE(chart.AddSeries("s", ""));
  chart.SetModified(false);
  for (int bad : {-1, 1, 1000}) {
    EXPECT_FALSE(GetParam().op(chart, bad)) << bad;
    EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kIndexOutOfRange) << bad;
  }
  EXPECT_FALSE(chart.IsModified());
  EXPECT_EQ(ScaleOf(chart, 0), kStart);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IndexOutOfRangeTest,
    testing::Values(
        IndexCase{"GetAxisName",
                  [](WindRose& c, int i) {
                    Text t;
                    return c.GetAxisName(i, &t);
                  }},
        IndexCase{"GetAxisItem",
                  [](WindRose& c, int i) {
                    AxisItem* p;
                    return c.GetAxisItem(i, &p);
                  }},
        IndexCase{"SetAxisName", [](WindRose& c, int i) { return c.SetAxisName(i, "x"); }},
        IndexCase{"SetAxisItem", [](WindRose& c, int i) { return c.SetAxisItem(i, nullptr); }},
        IndexCase{"SetAxisMin", [](WindRose& c, int i) { return c.SetAxisMin(i, 1); }},
        IndexCase{"SetAxisMax", [](WindRose& c, int i) { return c.SetAxisMax(i, 90); }},
        IndexCase{"SetAxisCritical", [](WindRose& c, int i) { return c.SetAxisCritical(i, 5); }},
        IndexCase{"SetAxisMultiplier",
                  [](WindRose& c, int i) { return c.SetAxisMultiplier(i, 2); }},
        IndexCase{"SetAxisInverse", [](WindRose& c, int i) { return c.SetAxisInverse(i, true); }},
        IndexCase{"GetAxisInverse",
                  [](WindRose& c, int i) {
                    bool b;
                    return c.GetAxisInverse(i, &b);
                  }},
        IndexCase{"SetSeriesValueAxis",
                  [](WindRose& c, int i) { return c.SetSeriesValue(i, 1, 0); }},
        IndexCase{"SetSeriesValueSeries",
                  [](WindRose& c, int i) { return c.SetSeriesValue(0, 1, i); }},
        IndexCase{
            "SetValueStateAxis",
            [](WindRose& c, int i) { return c.SetValueState(i, ValueState::kNotAvailable, 0); }},
        IndexCase{"GetValueStateSeries",
                  [](WindRose& c, int i) {
                    ValueState s;
                    return c.GetValueState(0, &s, i);
                  }},
        IndexCase{"SetSeriesVisible",
                  [](WindRose& c, int i) { return c.SetSeriesVisible(i, false); }},
        IndexCase{"SetSeriesPen",
                  [](WindRose& c, int i) { return c.SetSeriesPen(i, PenStyle::kSolid, 1, 0); }},
        IndexCase{"SetSeriesTextColors",
                  [](WindRose& c, int i) { return c.SetSeriesTextColors(i, 1, 2); }}),
    [](const testing::TestParamInfo<IndexCase>& info) { return info.param.label; });

TEST(WindRoseItems, RemoveAllAxesFreesEachItemOnceAndZeroesValuesKeepingStates) {
  TestRose chart;
  ASSERT_TRUE(chart.AddSeries("max", ""));
  ASSERT_TRUE(chart.AddSeries("cur", ""));
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80, 1, false, new NumberedItem(i)));
  }
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80));  // an axis without an item
  for (int a = 0; a < 4; ++a) {
    ASSERT_TRUE(chart.SetSeriesValue(a, 90, 0));  // critical
    ASSERT_TRUE(chart.SetSeriesValue(a, 40, 1));
  }
  chart.SetModified(false);

  EXPECT_TRUE(chart.RemoveAllAxes());
  EXPECT_EQ(chart.frees, (std::map<int, int>{{0, 1}, {1, 1}, {2, 1}}));
  EXPECT_EQ(chart.null_frees, 1);
  EXPECT_EQ(chart.GetAxisCount(), 0);
  EXPECT_TRUE(chart.IsModified());

  for (int a = 0; a < 4; ++a) ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80));
  for (int a = 0; a < 4; ++a) {
    double value = -1;
    ValueState state = ValueState::kNormal;
    ASSERT_TRUE(chart.GetSeriesValue(a, &value, 0));
    EXPECT_EQ(value, 0.0) << a;
    ASSERT_TRUE(chart.GetValueState(a, &state, 0));
    EXPECT_EQ(state, ValueState::kCritical) << "states survive RemoveAllAxes";
    ASSERT_TRUE(chart.GetSeriesValue(a, &value, 1));
    EXPECT_EQ(value, 0.0) << a;
    AxisItem* item = nullptr;
    ASSERT_TRUE(chart.GetAxisItem(a, &item));
    EXPECT_EQ(item, nullptr);
  }
  EXPECT_TRUE(chart.RemoveAllAxes());
  EXPECT_EQ(chart.frees.size(), 3u) << "a second removal frees nothing already freed";
}

TEST(WindRoseItems, SetAxisItemFreesTheOldItemOnlyWhenItChanges) {
  TestRose chart;
  auto* first = new NumberedItem(1);
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80, 1, false, first));
  chart.SetModified(false);

  EXPECT_TRUE(chart.SetAxisItem(0, first));
  EXPECT_TRUE(chart.frees.empty());
  EXPECT_FALSE(chart.IsModified());

  auto* second = new NumberedItem(2);
  EXPECT_TRUE(chart.SetAxisItem(0, second));
  EXPECT_EQ(chart.frees, (std::map<int, int>{{1, 1}}));
  EXPECT_TRUE(chart.IsModified());
  AxisItem* stored = nullptr;
  ASSERT_TRUE(chart.GetAxisItem(0, &stored));
  EXPECT_EQ(stored, second);

  EXPECT_TRUE(chart.SetAxisItem(0, nullptr));
  EXPECT_EQ(chart.frees, (std::map<int, int>{{1, 1}, {2, 1}}));
}

TEST(WindRoseItems, PlainChartNeverDeletesItems) {
  auto item = std::make_unique<NumberedItem>(7);
  {
    WindRose chart(32, 4);
    ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80, 1, false, item.get()));
    EXPECT_TRUE(chart.RemoveAllAxes());
    ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80, 1, false, item.get()));
  }  // the destructor leaves the item alone as well
  EXPECT_EQ(item->number(), 7);
}

TEST(WindRoseItems, FailedAddAxisLeavesTheItemWithTheCaller) {
  TestRose chart(1, 1);
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80));
  NumberedItem item(5);
  EXPECT_FALSE(AddPlainAxis(chart, 0, 100, 80, 1, false, &item));
  EXPECT_TRUE(chart.frees.empty());
}

// Which operations mark the chart modified, starting from one axis and one series.
struct ModifiedCase {
  const char* label;
  std::function<void(WindRose&)> op;
  bool modified;
};

class ModifiedFlagTest : public testing::TestWithParam<ModifiedCase> {};

TEST_P(ModifiedFlagTest, FollowsTheModelNotTheLook) {
  WindRose chart(32, 4);
  ASSERT_TRUE(AddPlainAxis(chart, 0, 100, 80));
  ASSERT_TRUE(chart.AddSeries("s", ""));
  chart.SetModified(false);
  GetParam().op(chart);
  EXPECT_EQ(chart.IsModified(), GetParam().modified);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModifiedFlagTest,
    testing::Values(
        ModifiedCase{"AddAxis", [](WindRose& c) { AddPlainAxis(c, 0, 1, 1); }, true},
        ModifiedCase{"RemoveAllAxes", [](WindRose& c) { c.RemoveAllAxes(); }, true},
        ModifiedCase{"AddSeries", [](WindRose& c) { c.AddSeries("t", ""); }, true},
        ModifiedCase{"RemoveAllSeries", [](WindRose& c) { c.RemoveAllSeries(); }, true},
        ModifiedCase{"SetAxisInverse", [](WindRose& c) { c.SetAxisInverse(0, true); }, true},
        ModifiedCase{"SetAxisInverseSame", [](WindRose& c) { c.SetAxisInverse(0, false); }, false},
        ModifiedCase{"SetGridStep", [](WindRose& c) { c.SetGridStep(25); }, true},
        ModifiedCase{"SetGridStepSame", [](WindRose& c) { c.SetGridStep(20); }, false},
        ModifiedCase{"SetCriticalBorder", [](WindRose& c) { c.SetCriticalBorder(0); }, true},
        ModifiedCase{"SetShowNames", [](WindRose& c) { c.SetShowNames(0); }, true},
        ModifiedCase{"SetShowNamesSame", [](WindRose& c) { c.SetShowNames(1); }, false},
        ModifiedCase{"SetShowNumbers", [](WindRose& c) { c.SetShowNumbers(1); }, true},
        ModifiedCase{"SetShowValues", [](WindRose& c) { c.SetShowValues(0); }, true},
        ModifiedCase{"SetLabelTrunc", [](WindRose& c) { c.SetLabelTrunc(1); }, true},
        ModifiedCase{"ResetDiagramSettings",
                     [](WindRose& c) {
                       c.SetGridStep(30);
                       c.SetModified(false);
                       c.ResetDiagramSettings();
                     },
                     false},
        ModifiedCase{"SetSeriesValue", [](WindRose& c) { c.SetSeriesValue(0, 50, 0); }, false},
        ModifiedCase{"SetValueState",
                     [](WindRose& c) { c.SetValueState(0, ValueState::kNotAvailable, 0); }, false},
        ModifiedCase{"SetSeriesVisible", [](WindRose& c) { c.SetSeriesVisible(0, false); }, false},
        ModifiedCase{"SetSeriesPen",
                     [](WindRose& c) { c.SetSeriesPen(0, PenStyle::kSolid, 2, 0xFF); }, false},
        ModifiedCase{"SetSeriesTextColors", [](WindRose& c) { c.SetSeriesTextColors(0, 1, 2); },
                     false},
        ModifiedCase{"SetAxisPen", [](WindRose& c) { c.SetAxisPen(PenStyle::kSolid, 1, 0); },
                     false},
        ModifiedCase{"SetFont",
                     [](WindRose& c) {
                       c.SetFont(FontSpec{"Sans", 12});
                     },
                     false},
        ModifiedCase{"SetTextColors", [](WindRose& c) { c.SetTextColors(1, 2); }, false},
        ModifiedCase{"FailedSetGridStep", [](WindRose& c) { c.SetGridStep(101); }, false}),
    [](const testing::TestParamInfo<ModifiedCase>& info) { return info.param.label; });

}  // namespace
}  // namespace corvane::chart
