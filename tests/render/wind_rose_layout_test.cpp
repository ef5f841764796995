// The wind rose's geometry on the recording surface: centre, radius and its fit to the texts,
// axis directions, rings, the critical border, polyline points and the state handed back.
// Text measures 6 pixels per character and 12 pixels high.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "chart/recording_surface.h"
#include "chart/wind_rose.h"
#include "tests/render/render_test_support.h"

namespace corvane::chart {
namespace {

using render_test::AddAxes;
using render_test::ArcBoxes;
using render_test::Circle;
using render_test::LineEnds;
using render_test::SetUpChart;
using Kind = RecordedCall::Kind;

TEST(WindRoseLayout, ChartWithoutAxesDrawsOnlyRingsAndBorderWithRadiusReducedByFour) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  chart.SetShowNames(1);
  chart.SetShowValues(1);
  RecordingSurface surface;
  ASSERT_TRUE(chart.DrawChart(surface, Rect{10, 20, 210, 120}));

  // Centre (110, 70); R = 50 - 4 = 46: rings at 20..100 %, the border at 80 %.
  EXPECT_EQ(ArcBoxes(surface),
            (std::vector<Rect>{Circle(110, 70, 9), Circle(110, 70, 18), Circle(110, 70, 28),
                               Circle(110, 70, 37), Circle(110, 70, 46), Circle(110, 70, 37)}));
  EXPECT_TRUE(surface.CallsOf(Kind::kLineTo).empty());
  EXPECT_TRUE(surface.CallsOf(Kind::kPolyline).empty());
  EXPECT_TRUE(surface.CallsOf(Kind::kDrawText).empty());
}

TEST(WindRoseLayout, OneAxisRunsEachPolylineFromItsValueToTheCentre) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  AddAxes(chart, {"only"});
  ASSERT_TRUE(chart.SetSeriesValue(0, 50.0, 0));
  ASSERT_TRUE(chart.SetSeriesValue(0, 100.0, 1));
  ASSERT_TRUE(chart.SetSeriesValue(0, 0.0, 2));
  RecordingSurface surface;
  chart.DrawChart(surface, Rect{0, 0, 200, 300});

  // Labels off: R = 100 - 4 = 96, straight up from (100, 150).
  EXPECT_EQ(LineEnds(surface), (std::vector<Point>{{100, 54}}));
  const std::vector<RecordedCall> lines = surface.CallsOf(Kind::kPolyline);
  ASSERT_EQ(lines.size(), 3U);
  // 50 of 100 with the critical value at 100 lies at 0.4 R = 38.4; 100 at 0.8 R = 76.8.
  EXPECT_EQ(lines[0].points, (std::vector<Point>{{100, 112}, {100, 150}}));
  EXPECT_EQ(lines[1].points, (std::vector<Point>{{100, 73}, {100, 150}}));
  EXPECT_EQ(lines[2].points, (std::vector<Point>{{100, 150}, {100, 150}}));
}

TEST(WindRoseLayout, FourAxesPointUpRightDownLeftWithLabelsOutsideTheirEnds) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  chart.SetShowNames(1);
  AddAxes(chart, {"N", "East", "South", "W"});
  RecordingSurface surface;
  chart.DrawChart(surface, Rect{0, 0, 400, 300});

  // R = 150 less the label height 12; the side labels leave more room than that.
  EXPECT_EQ(LineEnds(surface), (std::vector<Point>{{200, 12}, {338, 150}, {200, 288}, {62, 150}}));
  for (const RecordedCall& line : surface.CallsOf(Kind::kLineTo)) {
    EXPECT_EQ(line.from, (Point{200, 150}));
  }
  // Boxes are two spaces (12 px) wider than the text, which is centred in them: above the top
  // axis, starting at the right axis's end, below the bottom axis, ending at the left axis's
  // end (text 50..56 in the box 44..62).
  EXPECT_EQ(render_test::PlacedTexts(surface),
            (std::vector<render_test::PlacedText>{
                {"N", {197, 0}}, {"East", {344, 144}}, {"South", {185, 288}}, {"W", {50, 144}}}));
}

TEST(WindRoseLayout, LabelSettingsOffLeaveHalfTheSmallerSideMinusFour) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  AddAxes(chart, {"a", "b", "c", "d"});
  RecordingSurface surface;
  chart.DrawChart(surface, Rect{0, 0, 300, 200});
  EXPECT_EQ(LineEnds(surface), (std::vector<Point>{{150, 4}, {246, 100}, {150, 196}, {54, 100}}));
  EXPECT_TRUE(surface.CallsOf(Kind::kDrawText).empty());
  EXPECT_TRUE(surface.CallsOf(Kind::kSelectFont).empty());
  EXPECT_EQ(chart.GetAxisLabel(0), "");
}

TEST(WindRoseLayout, CentreRoundsHalvesAwayFromZero) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  AddAxes(chart, {"a"});
  RecordingSurface surface;
  // 201 x 101: the centre (100.5, 50.5) becomes (101, 51), R = 51 - 4.
  chart.DrawChart(surface, Rect{0, 0, 201, 101});
  const std::vector<RecordedCall> lines = surface.CallsOf(Kind::kLineTo);
  ASSERT_EQ(lines.size(), 1U);
  EXPECT_EQ(lines[0].from, (Point{101, 51}));
  EXPECT_EQ(lines[0].to, (Point{101, 4}));
}

// With values but no names, each axis needs room for the widest value text met so far.
TEST(WindRoseLayout, ValuesAloneFitTheRadiusToTheWidestValueSoFar) {
  struct Case {
    double first_value;
    int radius;  // pixels
  };
  const Case cases[] = {
      {1234567890.5, 116},  // "1234567890.50 ", 84 px, still counts at the side axes
      {1.0, 138},           // "1 ", 12 px: only the value height limits R
  };
  for (const Case& c : cases) {
    WindRose chart(32, 4);
    SetUpChart(chart);
    chart.SetShowValues(1);
    ASSERT_TRUE(chart.SetSeriesVisible(0, false));
    ASSERT_TRUE(chart.SetSeriesVisible(2, false));
    ASSERT_TRUE(chart.AddAxis("a", "", false, 0.0, 2e9, 2e9, 1.0, nullptr));
    AddAxes(chart, {"b", "c", "d"});
    ASSERT_TRUE(chart.SetSeriesValue(0, c.first_value, 1));
    for (int axis = 1; axis < 4; ++axis) ASSERT_TRUE(chart.SetSeriesValue(axis, 1.0, 1));
    RecordingSurface surface;
    chart.DrawChart(surface, Rect{0, 0, 400, 300});
    EXPECT_EQ(LineEnds(surface), (std::vector<Point>{{200, 150 - c.radius},
                                                     {200 + c.radius, 150},
                                                     {200, 150 + c.radius},
                                                     {200 - c.radius, 150}}))
        << c.first_value;
  }
}

TEST(WindRoseLayout, GridStepAndCriticalBorderSetTheRings) {
  struct Case {
    int grid_step;        // percent
    int critical_border;  // percent
    std::vector<int> grid_radii;
    std::vector<int> border_radii;
  };
  // Labels off in 200 x 200: R = 96.
  const Case cases[] = {
      {20, 80, {19, 38, 58, 77, 96}, {77}},
      {30, 0, {29, 58, 86}, {}},
      {0, 50, {}, {48}},
      {0, 0, {}, {}},
      {100, 100, {96}, {96}},
  };
  for (const Case& c : cases) {
    WindRose chart(32, 4);
    SetUpChart(chart);
    AddAxes(chart, {"a", "b", "c"});
    ASSERT_TRUE(chart.SetGridStep(c.grid_step));
    ASSERT_TRUE(chart.SetCriticalBorder(c.critical_border));
    RecordingSurface surface;
    chart.DrawChart(surface, Rect{0, 0, 200, 200});

    std::vector<int> grid;
    std::vector<int> border;
    for (const RecordedCall& arc : surface.CallsOf(Kind::kFullArc)) {
      EXPECT_EQ(arc.rect, Circle(100, 100, (arc.rect.right - arc.rect.left) / 2));
      const int r = (arc.rect.right - arc.rect.left) / 2;
      if (arc.pen.colour == render_test::kGridColour) grid.push_back(r);
      if (arc.pen.colour == render_test::kCriticalColour) border.push_back(r);
    }
    EXPECT_EQ(grid, c.grid_radii) << c.grid_step;
    EXPECT_EQ(border, c.border_radii) << c.critical_border;
    EXPECT_EQ(surface.CallsOf(Kind::kFullArc).size(), grid.size() + border.size());
  }
}

TEST(WindRoseLayout, PolylinesCloseOnTheFirstPointWithTheSeriesPens) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  AddAxes(chart, {"a", "b", "c", "d"});
  for (int axis = 0; axis < 4; ++axis) ASSERT_TRUE(chart.SetSeriesValue(axis, 100.0, 2));
  RecordingSurface surface;
  chart.DrawChart(surface, Rect{0, 0, 200, 200});

  // 100 lies on the critical border: 0.8 * 96 = 76.8.
  const std::vector<Point> expected{{100, 23}, {177, 100}, {100, 177}, {23, 100}, {100, 23}};
  const std::vector<RecordedCall> lines = surface.CallsOf(Kind::kPolyline);
  ASSERT_EQ(lines.size(), 3U);
  EXPECT_EQ(lines[2].points, expected);
  for (int s = 0; s < 3; ++s) {
    EXPECT_EQ(lines[s].pen.colour, render_test::kSeriesColours[s]);
  }
  EXPECT_EQ(lines[1].pen.width, 2);
  const std::span<const Point> stored = chart.GetSeriesPoints(2);
  EXPECT_EQ(std::vector<Point>(stored.begin(), stored.end()), expected);
}

TEST(WindRoseLayout, HiddenSeriesKeepsItsPointsButIsNotDrawn) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  chart.SetShowValues(1);
  AddAxes(chart, {"a", "b"});
  ASSERT_TRUE(chart.SetSeriesVisible(1, false));
  ASSERT_TRUE(chart.SetSeriesValue(0, 7.0, 1));
  ASSERT_TRUE(chart.SetSeriesValue(1, 100.0, 1));
  RecordingSurface surface;
  chart.DrawChart(surface, Rect{0, 0, 200, 200});

  const std::span<const Point> points = chart.GetSeriesPoints(1);
  ASSERT_EQ(points.size(), 3U);
  EXPECT_LT(points[0].y, 100);  // up from the centre
  EXPECT_GT(points[1].y, 100);  // the second of two axes points down
  EXPECT_EQ(points[2], points[0]);
  for (const RecordedCall& line : surface.CallsOf(Kind::kPolyline)) {
    EXPECT_NE(line.pen.colour, render_test::kSeriesColours[1]);
  }
  EXPECT_EQ(surface.CallsOf(Kind::kPolyline).size(), 2U);
  for (const std::string& text : surface.Texts()) {
    EXPECT_EQ(text.find('7'), std::string::npos) << text;
  }
  EXPECT_EQ(surface.Texts(), (std::vector<std::string>{" 0 ", "0 ", " 0 ", "0 "}));
}

TEST(WindRoseLayout, NegativeValuesLieBeyondTheCentre) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  AddAxes(chart, {"a"});
  ASSERT_TRUE(chart.SetSeriesValue(0, -50.0, 0));
  ASSERT_TRUE(chart.SetSeriesValue(0, -1e300, 1));
  RecordingSurface surface;
  chart.DrawChart(surface, Rect{0, 0, 200, 200});
  const std::vector<RecordedCall> lines = surface.CallsOf(Kind::kPolyline);
  ASSERT_EQ(lines.size(), 3U);
  EXPECT_EQ(lines[0].points[0], (Point{100, 138}));
  // Far off the surface, but still below the centre and on the axis.
  EXPECT_EQ(lines[1].points[0].x, 100);
  EXPECT_GT(lines[1].points[0].y, 1000000);
}

TEST(WindRoseLayout, RectangleTooSmallForTheMarginsDrawsAtTheCentre) {
  struct Case {
    Rect rect;
    Point centre;
  };
  const Case cases[] = {
      {Rect{0, 0, 6, 6}, Point{3, 3}},
      {Rect{10, 10, 5, 5}, Point{7, 7}},  // right and bottom before left and top: -2.5 -> -3
  };
  for (const Case& c : cases) {
    WindRose chart(32, 4);
    SetUpChart(chart);
    AddAxes(chart, {"a", "b"});
    RecordingSurface surface;
    chart.DrawChart(surface, c.rect);
    for (const Rect& box : ArcBoxes(surface)) {
      EXPECT_EQ(box, Circle(c.centre.x, c.centre.y, 0));
    }
    for (const Point& end : LineEnds(surface)) EXPECT_EQ(end, c.centre);
  }
}

TEST(WindRoseLayout, SurfaceStateIsHandedBackAndEachStepUsesItsPen) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  chart.SetShowNames(1);
  chart.SetShowValues(1);
  AddAxes(chart, {"a", "b", "c"});
  RecordingSurface surface;
  const Pen pen_before = surface.pen();
  const FontSpec font_before = surface.font();
  chart.DrawChart(surface, Rect{0, 0, 300, 300});

  EXPECT_EQ(surface.pen(), pen_before);
  EXPECT_EQ(surface.font(), font_before);
  EXPECT_EQ(surface.text_colour(), 0x000000);
  EXPECT_EQ(surface.back_colour(), 0xFFFFFF);
  for (const RecordedCall& line : surface.CallsOf(Kind::kLineTo)) {
    EXPECT_EQ(line.pen, (Pen{PenStyle::kSolid, 1, render_test::kAxisColour}));
  }
  for (const RecordedCall& text : surface.CallsOf(Kind::kDrawText)) {
    EXPECT_EQ(text.font, (FontSpec{"MS Sans Serif", 12}));
  }
  const std::vector<RecordedCall> arcs = surface.CallsOf(Kind::kFullArc);
  ASSERT_EQ(arcs.size(), 6U);
  EXPECT_EQ(arcs.back().pen, (Pen{PenStyle::kSolid, 2, render_test::kCriticalColour}));
}

TEST(WindRoseLayout, ChartWithoutPensDrawsWithTheSurfacePen) {
  WindRose chart(32, 4);
  ASSERT_TRUE(chart.AddSeries("s", ""));
  AddAxes(chart, {"a", "b"});
  chart.SetShowNames(0);
  chart.SetShowValues(0);
  RecordingSurface surface;
  const Pen own{PenStyle::kDot, 3, 0x123456};
  surface.SelectPen(own);
  chart.DrawChart(surface, Rect{0, 0, 100, 100});
  EXPECT_EQ(surface.CallsOf(Kind::kSelectPen).size(), 1U);  // only the test's own
  for (const RecordedCall& call : surface.calls()) EXPECT_EQ(call.pen, own);
  EXPECT_EQ(surface.CallsOf(Kind::kPolyline).size(), 1U);
}

// Values stored under the chart's lock between frames never show half-changed in a frame.
TEST(WindRoseLayout, DrawingSeesEachGroupOfValuesWhole) {
  WindRose chart(32, 4);
  SetUpChart(chart);
  AddAxes(chart, {"a", "b", "c", "d", "e", "f"});
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int round = 0; round < 2000; ++round) {
      ChartLock lock(chart);
      for (int axis = 0; axis < 6; ++axis) {
        chart.SetSeriesValue(axis, round % 2 == 0 ? 100.0 : 0.0, 0);
      }
    }
    done = true;
  });
  RecordingSurface surface;
  int frames = 0;
  while (!done || frames == 0) {
    surface.Clear();
    chart.DrawChart(surface, Rect{0, 0, 200, 200});
    const std::vector<RecordedCall> lines = surface.CallsOf(Kind::kPolyline);
    ASSERT_EQ(lines.size(), 3U);
    const bool at_centre = lines[0].points[0] == Point{100, 100};
    for (int axis = 0; axis < 6; ++axis) {
      EXPECT_EQ((lines[0].points[static_cast<std::size_t>(axis)] == Point{100, 100}), at_centre);
    }
    ++frames;
  }
  writer.join();
}

}  // namespace
}  // namespace corvane::chart
