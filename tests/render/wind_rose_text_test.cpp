// The wind rose's texts on the recording surface: labels with numbers and both truncation
// modes, value texts and their formats, their placement around the axes, and their colours.
// Text measures 6 pixels per character and 12 pixels high, so two spaces are 12 pixels wide.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/recording_surface.h"
#include "chart/wind_rose.h"
#include "tests/render/render_test_support.h"

namespace corvane::chart {
namespace {

using render_test::AddAxes;
using render_test::PlacedText;
using render_test::PlacedTexts;
using render_test::SetUpChart;
using Kind = RecordedCall::Kind;

// 60 distinct characters.
const std::string kLongName = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWX";

TEST(WindRoseText, LabelsAreBuiltFromNumbersNamesAndTruncation) {
  struct Case {
    const char* what;
    int trunc;
    int numbers;
    int names;
    std::string name;
    std::string label;
  };
  const std::string a23(23, 'a');
  const std::string b24(24, 'b');
  const std::string c20(20, 'c');
  const Case cases[] = {
      {"cut at the end", 1, 0, 1, kLongName, kLongName.substr(0, 20) + "..."},
      {"cut at the front", 2, 0, 1, kLongName, "..." + kLongName.substr(40)},
      {"front, prefix counts", 2, 1, 1, kLongName, "1: ..." + kLongName.substr(43)},
      {"end, prefix does not count", 1, 1, 1, kLongName, "1: " + kLongName.substr(0, 20) + "..."},
      {"m + 3 characters fit", 2, 0, 1, a23, a23},
      {"m + 4 do not", 2, 0, 1, b24, "..." + b24.substr(4)},
      {"prefix and name make m + 3", 2, 1, 1, c20, "1: " + c20},
      {"whole, cut at the label's room", 0, 0, 1, kLongName, kLongName.substr(0, 55)},
      {"whole after a prefix", 0, 1, 1, kLongName, "1: " + kLongName.substr(0, 52)},
      {"unknown mode drops a long name", 3, 1, 1, kLongName, "1: "},
      {"unknown mode keeps a short one", 3, 0, 1, "cpu", "cpu"},
      {"numbers alone", 2, 1, 0, kLongName, "1: "},
  };
  for (const Case& c : cases) {
    WindRose chart(32, 4);
    SetUpChart(chart);
    chart.SetLabelTrunc(c.trunc);
    chart.SetShowNumbers(c.numbers);
    chart.SetShowNames(c.names);
    AddAxes(chart, {c.name});
    RecordingSurface surface;
    // 960 / 12 / 4: labels of up to m = 20 characters.
    chart.DrawChart(surface, Rect{0, 0, 960, 600});
    EXPECT_EQ(chart.GetAxisLabel(0), c.label) << c.what;
    EXPECT_EQ(surface.Texts(), std::vector<std::string>{c.label}) << c.what;
  }
}

TEST(WindRoseText, AxisNumbersCountFromOne) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  chart.SetShowNumbers(1);
  chart.SetShowNames(1);
  AddAxes(chart, {"cpu", "", "disk"});
  RecordingSurface surface;
  chart.DrawChart(surface, Rect{0, 0, 960, 600});
  EXPECT_EQ(surface.Texts(), (std::vector<std::string>{"1: cpu", "2: ", "3: disk"}));
}

TEST(WindRoseText, CutsKeepMultiByteCharactersWhole) {
  // 30 two-byte characters; the limit of 21 bytes would split the eleventh.
  std::string name;
  for (int i = 0; i < 30; ++i) name += "\xC3\xA9";  // é
  const std::string ten = name.substr(0, 20);
  struct Case {
    int trunc;
    std::string label;
  };
  for (const Case& c : {Case{1, ten + "..."}, Case{2, "..." + ten}}) {
    WindRose chart(32, 4);
    SetUpChart(chart);
    chart.SetShowNames(1);
    chart.SetLabelTrunc(c.trunc);
    AddAxes(chart, {name});
    RecordingSurface surface;
    chart.DrawChart(surface, Rect{0, 0, 1008, 600});  // m = 1008 / 12 / 4 = 21
    EXPECT_EQ(chart.GetAxisLabel(0), c.label) << c.trunc;
  }
}

TEST(WindRoseText, ValuePartsFollowTheirFormats) {
  constexpr double kNotAvailable = -12345.0;  // marks a value shown as "N/A" in this table
  struct Case {
    double values[3];
    std::vector<std::string> parts;
  };
  const Case cases[] = {
      {{45.0, 45.5, kNotAvailable}, {" 45 ", "45.50 ", "N/A "}},
      {{kNotAvailable, -3.0, 1e10}, {" N/A ", "-3 ", "10000000000.00 "}},
      {{2147483647.0, 2147483648.0, -0.25}, {" 2147483647 ", "2147483648.00 ", "-0.25 "}},
      {{0.0, 99.999, 1.005}, {" 0 ", "100.00 ", "1.00 "}},
  };
  for (const Case& c : cases) {
    WindRose chart(32, 4);
    SetUpChart(chart);
    chart.SetShowValues(1);
    ASSERT_TRUE(chart.AddAxis("a", "", false, 0.0, 1e12, 1e12, 1.0, nullptr));
    for (int s = 0; s < 3; ++s) {
      if (c.values[s] == kNotAvailable) {
        // As the engine marks a counter it could not read.
        ASSERT_TRUE(chart.SetSeriesValue(0, 0.0, s));
        ASSERT_TRUE(chart.SetValueState(0, ValueState::kNotAvailable, s));
      } else {
        ASSERT_TRUE(chart.SetSeriesValue(0, c.values[s], s));
      }
    }
    RecordingSurface surface;
    chart.DrawChart(surface, Rect{0, 0, 400, 400});
    EXPECT_EQ(surface.Texts(), c.parts);
  }
}

TEST(WindRoseText, UnavailableValueSitsAtTheCentre) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  chart.SetShowValues(1);
  AddAxes(chart, {"a", "b"});
  ASSERT_TRUE(chart.SetSeriesValue(0, 0.0, 2));
  ASSERT_TRUE(chart.SetValueState(0, ValueState::kNotAvailable, 2));
  ASSERT_TRUE(chart.SetSeriesValue(1, 50.0, 2));
  RecordingSurface surface;
  chart.DrawChart(surface, Rect{0, 0, 300, 300});
  const std::span<const Point> points = chart.GetSeriesPoints(2);
  EXPECT_EQ(points[0], (Point{150, 150}));
  EXPECT_NE(points[1], (Point{150, 150}));
  EXPECT_EQ(surface.Texts(), (std::vector<std::string>{" 0 ", "0 ", "N/A ", " 0 ", "0 ", "50 "}));
}

TEST(WindRoseText, NamesAndValuesSitOutsideTheAxisEndsByQuadrant) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  chart.SetShowNames(1);
  chart.SetShowValues(1);
  ASSERT_TRUE(chart.SetSeriesVisible(0, false));
  AddAxes(chart, {"N", "East", "South", "W"});
  for (int axis = 0; axis < 4; ++axis) {
    ASSERT_TRUE(chart.SetSeriesValue(axis, 45.0, 1));
    ASSERT_TRUE(chart.SetSeriesValue(axis, 45.5, 2));
  }
  RecordingSurface surface;
  chart.DrawChart(surface, Rect{0, 0, 400, 300});

  // Value text "45 45.50 " is 54 px: R = min(150 - 12 - 12, 200 - 54) = 126, ends at
  // (200, 24), (326, 150), (200, 276), (74, 150). Above the top axis the values sit over the
  // name; on a horizontal axis the name sits above the axis line and the values below it;
  // below the bottom axis the values follow the name.
  EXPECT_EQ(PlacedTexts(surface), (std::vector<PlacedText>{
                                      {"N", {197, 12}},
                                      {"45 ", {173, 0}},
                                      {"45.50 ", {191, 0}},
                                      {"East", {332, 138}},
                                      {"45 ", {326, 150}},
                                      {"45.50 ", {344, 150}},
                                      {"South", {185, 276}},
                                      {"45 ", {173, 288}},
                                      {"45.50 ", {191, 288}},
                                      {"W", {62, 138}},
                                      {"45 ", {20, 150}},
                                      {"45.50 ", {38, 150}},
                                  }));
}

TEST(WindRoseText, ValuesWithoutNamesSitAtTheAxisEnds) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  chart.SetShowValues(1);
  ASSERT_TRUE(chart.SetSeriesVisible(0, false));
  ASSERT_TRUE(chart.SetSeriesVisible(2, false));
  AddAxes(chart, {"a", "b", "c", "d"});
  RecordingSurface surface;
  chart.DrawChart(surface, Rect{0, 0, 400, 300});
  // "0 " is 12 px: R = 150 - 12 = 138.
  EXPECT_EQ(PlacedTexts(surface),
            (std::vector<PlacedText>{
                {"0 ", {194, 0}}, {"0 ", {338, 144}}, {"0 ", {194, 288}}, {"0 ", {50, 144}}}));
}

TEST(WindRoseText, NamesUseTheChartColourAndValuesTheirSeriesColour) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  chart.SetShowNames(1);
  chart.SetShowValues(1);
  AddAxes(chart, {"a", "b"});
  RecordingSurface surface;
  chart.DrawChart(surface, Rect{0, 0, 400, 400});

  const std::vector<RecordedCall> texts = surface.CallsOf(Kind::kDrawText);
  ASSERT_EQ(texts.size(), 8U);  // per axis: the name and three value parts
  for (std::size_t axis = 0; axis < 2; ++axis) {
    const RecordedCall& name = texts[axis * 4];
    EXPECT_EQ(name.text_colour, render_test::kTextColour) << name.text;
    EXPECT_EQ(name.back_colour, render_test::kBackColour) << name.text;
    for (std::size_t s = 0; s < 3; ++s) {
      const RecordedCall& part = texts[axis * 4 + 1 + s];
      EXPECT_EQ(part.text_colour, render_test::kSeriesColours[s]) << part.text;
      EXPECT_EQ(part.back_colour, render_test::kBackColour) << part.text;
    }
  }
}

TEST(WindRoseText, MissingColoursLeaveTheSurfaceColours) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  ASSERT_TRUE(chart.SetTextColors(kNoColour, kNoColour));
  ASSERT_TRUE(chart.SetSeriesTextColors(0, kNoColour, kNoColour));
  ASSERT_TRUE(chart.SetSeriesTextColors(2, 0x0000AA, 0x00BB00));
  chart.SetShowNames(1);
  chart.SetShowValues(1);
  AddAxes(chart, {"a", "b"});
  RecordingSurface surface;
  surface.SetTextColour(0x111111);
  surface.SetBackColour(0x222222);
  chart.DrawChart(surface, Rect{0, 0, 400, 400});

  const std::vector<RecordedCall> texts = surface.CallsOf(Kind::kDrawText);
  ASSERT_EQ(texts.size(), 8U);
  for (std::size_t axis = 0; axis < 2; ++axis) {
    EXPECT_EQ(texts[axis * 4].text_colour, 0x111111);  // the name
    EXPECT_EQ(texts[axis * 4].back_colour, 0x222222);
    EXPECT_EQ(texts[axis * 4 + 1].text_colour, 0x111111);  // series 0 has no colours
    EXPECT_EQ(texts[axis * 4 + 3].text_colour, 0x0000AA);  // series 2 has its own
    EXPECT_EQ(texts[axis * 4 + 3].back_colour, 0x00BB00);
  }
  EXPECT_EQ(surface.text_colour(), 0x111111);
  EXPECT_EQ(surface.back_colour(), 0x222222);
}

}  // namespace
}  // namespace corvane::chart
