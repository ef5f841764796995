#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "chart/axis_label.h"
#include "chart/wind_rose.h"

namespace corvane::chart {
namespace {

struct DiagramSettings {
  int grid_step, critical_border, show_names, show_numbers, show_values, label_trunc;
  bool operator==(const DiagramSettings&) const = default;
};

DiagramSettings SettingsOf(const WindRose& chart) {
  return {chart.GetGridStep(),    chart.GetCriticalBorder(), chart.GetShowNames(),
          chart.GetShowNumbers(), chart.GetShowValues(),     chart.GetLabelTrunc()};
}

constexpr DiagramSettings kDefaults{20, 80, 1, 0, 1, 2};

TEST(WindRoseSettings, StartAtDefaultsWithNoPensFontOrColours) {
  WindRose chart(32, 4);
  EXPECT_EQ(SettingsOf(chart), kDefaults);
  EXPECT_FALSE(chart.GetAxisPen().has_value());
  EXPECT_FALSE(chart.GetGridPen().has_value());
  EXPECT_FALSE(chart.GetCriticalPen().has_value());
  EXPECT_EQ(chart.GetFont(), nullptr);
  EXPECT_EQ(chart.GetTextColor(), kNoColour);
  EXPECT_EQ(chart.GetBackColor(), kNoColour);
}

struct PercentCase {
  const char* label;
  bool (WindRose::*set)(int);
  int (WindRose::*get)() const;
  int value;
  bool ok;
  int after;
};

class PercentSettingTest : public testing::TestWithParam<PercentCase> {};

TEST_P(PercentSettingTest, AcceptsZeroToHundredOnly) {
  const PercentCase& c = GetParam();
  WindRose chart(32, 4);
  EXPECT_EQ((chart.*c.set)(c.value), c.ok);
  EXPECT_EQ(chart.GetLastErrorCode(), c.ok ? ChartError::kNone : ChartError::kPercentOutOfRange);
  EXPECT_EQ((chart.*c.get)(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PercentSettingTest,
    testing::Values(
        PercentCase{"GridAbove", &WindRose::SetGridStep, &WindRose::GetGridStep, 101, false, 20},
        PercentCase{"GridNegative", &WindRose::SetGridStep, &WindRose::GetGridStep, -1, false, 20},
        PercentCase{"GridZeroRemovesRings", &WindRose::SetGridStep, &WindRose::GetGridStep, 0, true,
                    0},
        PercentCase{"GridHundred", &WindRose::SetGridStep, &WindRose::GetGridStep, 100, true, 100},
        PercentCase{"BorderAbove", &WindRose::SetCriticalBorder, &WindRose::GetCriticalBorder, 101,
                    false, 80},
        PercentCase{"BorderNegative", &WindRose::SetCriticalBorder, &WindRose::GetCriticalBorder,
                    -50, false, 80},
        PercentCase{"BorderZero", &WindRose::SetCriticalBorder, &WindRose::GetCriticalBorder, 0,
                    true, 0}),
    [](const testing::TestParamInfo<PercentCase>& info) { return info.param.label; });

TEST(WindRoseSettings, FlagsAreStoredWithoutRangeTest) {
  WindRose chart(32, 4);
  chart.SetShowNames(7);
  chart.SetShowNumbers(-1);
  chart.SetShowValues(0);
  chart.SetLabelTrunc(9);
  EXPECT_EQ(SettingsOf(chart), (DiagramSettings{20, 80, 7, -1, 0, 9}));
}

TEST(WindRoseSettings, ResetRestoresTheSixDefaultsAndLeavesModifiedAlone) {
  WindRose chart(32, 4);
  ASSERT_TRUE(chart.SetGridStep(30));
  ASSERT_TRUE(chart.SetCriticalBorder(0));
  chart.SetShowNames(0);
  chart.SetShowNumbers(1);
  chart.SetShowValues(0);
  chart.SetLabelTrunc(0);
  ASSERT_TRUE(chart.IsModified());
  chart.ResetDiagramSettings();
  EXPECT_EQ(SettingsOf(chart), kDefaults);
  EXPECT_TRUE(chart.IsModified());

  chart.SetGridStep(40);
  chart.SetModified(false);
  chart.ResetDiagramSettings();
  EXPECT_EQ(chart.GetGridStep(), 20);
  EXPECT_FALSE(chart.IsModified());
}

struct ChartPenCase {
  const char* label;
  bool (WindRose::*set)(PenStyle, int, Colour);
  std::optional<Pen> (WindRose::*get)() const;
};

class ChartPenTest : public testing::TestWithParam<ChartPenCase> {};

TEST_P(ChartPenTest, ReplacesThePenAndRefusesOnesThatCannotBeMade) {
  const ChartPenCase& c = GetParam();
  WindRose chart(32, 4);
  ASSERT_TRUE((chart.*c.set)(PenStyle::kSolid, 1, 0x808080));
  ASSERT_TRUE((chart.*c.set)(PenStyle::kDash, 2, 0x0000FF));
  EXPECT_EQ((chart.*c.get)(), (Pen{PenStyle::kDash, 2, 0x0000FF}));

  EXPECT_FALSE((chart.*c.set)(static_cast<PenStyle>(7), 1, 0));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kPenCreation);
  EXPECT_FALSE((chart.*c.set)(PenStyle::kSolid, -3, 0));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kPenCreation);
  EXPECT_EQ((chart.*c.get)(), (Pen{PenStyle::kDash, 2, 0x0000FF}));
  EXPECT_TRUE((chart.*c.set)(PenStyle::kSolid, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChartPenTest,
    testing::Values(ChartPenCase{"Axis", &WindRose::SetAxisPen, &WindRose::GetAxisPen},
                    ChartPenCase{"Grid", &WindRose::SetGridPen, &WindRose::GetGridPen},
                    ChartPenCase{"Critical", &WindRose::SetCriticalPen, &WindRose::GetCriticalPen}),
    [](const testing::TestParamInfo<ChartPenCase>& info) { return info.param.label; });

TEST(WindRoseSettings, PensAreIndependent) {
  WindRose chart(32, 4);
  ASSERT_TRUE(chart.SetAxisPen(PenStyle::kSolid, 1, 0x808080));
  ASSERT_TRUE(chart.SetCriticalPen(PenStyle::kSolid, 2, 0x0000FF));
  EXPECT_EQ(chart.GetAxisPen(), (Pen{PenStyle::kSolid, 1, 0x808080}));
  EXPECT_FALSE(chart.GetGridPen().has_value());
  EXPECT_EQ(chart.GetCriticalPen(), (Pen{PenStyle::kSolid, 2, 0x0000FF}));
}

TEST(WindRoseSettings, FontIsCopiedReplacedAndValidated) {
  WindRose chart(32, 4);
  EXPECT_FALSE(chart.SetFont(std::nullopt));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kTextMissing);
  EXPECT_EQ(chart.GetFont(), nullptr);

  FontSpec font{"MS Sans Serif", 12};
  ASSERT_TRUE(chart.SetFont(font));
  font.face = "changed";
  ASSERT_NE(chart.GetFont(), nullptr);
  EXPECT_EQ(*chart.GetFont(), (FontSpec{"MS Sans Serif", 12}));

  EXPECT_FALSE(chart.SetFont(FontSpec{"Sans", -12}));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kFontCreation);
  EXPECT_EQ(*chart.GetFont(), (FontSpec{"MS Sans Serif", 12}));

  ASSERT_TRUE(chart.SetFont(FontSpec{"", 0}));  // the surface's default family and size
  EXPECT_EQ(*chart.GetFont(), (FontSpec{"", 0}));
}

TEST(WindRoseSettings, TextColorsAcceptNoColour) {
  WindRose chart(32, 4);
  ASSERT_TRUE(chart.SetTextColors(0xFFFFFF, 0x000000));
  EXPECT_EQ(chart.GetTextColor(), 0xFFFFFF);
  EXPECT_EQ(chart.GetBackColor(), 0x000000);
  ASSERT_TRUE(chart.SetTextColors(kNoColour, kNoColour));
  EXPECT_EQ(chart.GetTextColor(), kNoColour);
  EXPECT_EQ(chart.GetBackColor(), kNoColour);
}

TEST(WindRoseSettings, SuccessClearsThePreviousError) {
  WindRose chart(32, 4);
  ASSERT_FALSE(chart.SetGridStep(200));
  ASSERT_EQ(chart.GetLastErrorCode(), ChartError::kPercentOutOfRange);
  ASSERT_TRUE(chart.SetTextColors(1, 2));
  EXPECT_EQ(chart.GetLastErrorCode(), ChartError::kNone);
}

struct LabelCase {
  const char* label;
  std::string first, second;
  bool second_fits;
  std::size_t size;
};

class AxisLabelTest : public testing::TestWithParam<LabelCase> {};

TEST_P(AxisLabelTest, CutsAtFiftyFiveCharacters) {
  const LabelCase& c = GetParam();
  AxisLabel label;
  label.Append("stale");
  label.Clear();
  EXPECT_TRUE(label.Append(c.first));
  EXPECT_EQ(label.Append(c.second), c.second_fits);
  EXPECT_EQ(label.Size(), c.size);
  EXPECT_EQ(label.View(), (c.first + c.second).substr(0, c.size));
  EXPECT_EQ(label.Room(), AxisLabel::kCapacity - c.size);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AxisLabelTest,
    testing::Values(LabelCase{"Short", "1: ", "% CPU", true, 8},
                    LabelCase{"ExactlyFull", std::string(50, 'a'), "bcdef", true, 55},
                    LabelCase{"Overflow", "12: ", std::string(60, 'x'), false, 55},
                    LabelCase{"EmptyIntoFull", std::string(55, 'a'), "", true, 55}),
    [](const testing::TestParamInfo<LabelCase>& info) { return info.param.label; });

}  // namespace
}  // namespace corvane::chart
