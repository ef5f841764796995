// Helpers for the drawing tests: a chart set up as the engine sets up its own (pens, font,
// colours, three series), with named axes on a 0..100 scale. Test thread only.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "chart/recording_surface.h"
#include "chart/wind_rose.h"

namespace corvane::chart {

// Readable failure messages for the geometry types.
inline void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
inline void PrintTo(const Rect& r, std::ostream* os) {
  *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

}  // namespace corvane::chart

namespace corvane::chart::render_test {

inline constexpr Colour kAxisColour = 0x808080;
inline constexpr Colour kGridColour = 0x404040;
inline constexpr Colour kCriticalColour = 0x0000FF;
inline constexpr Colour kTextColour = 0xFFFFFF;
inline constexpr Colour kBackColour = 0x000000;
inline constexpr Colour kSeriesColours[3] = {0xFFFF7F, 0x00CC00, 0x00FFFF};

// A chart with the engine's pens, font, colours and series; every series visible, the label
// settings off, so that each test turns on what it looks at.
inline void SetUpChart(WindRose& chart) {
  ASSERT_TRUE(chart.SetFont(FontSpec{"MS Sans Serif", 12}));
  ASSERT_TRUE(chart.SetTextColors(kTextColour, kBackColour));
  ASSERT_TRUE(chart.SetAxisPen(PenStyle::kSolid, 1, kAxisColour));
  ASSERT_TRUE(chart.SetGridPen(PenStyle::kSolid, 1, kGridColour));
  ASSERT_TRUE(chart.SetCriticalPen(PenStyle::kSolid, 2, kCriticalColour));
  const char* names[3] = {"Max Values", "Historical Values", "Current Values"};
  for (int s = 0; s < 3; ++s) {
    ASSERT_TRUE(chart.AddSeries(names[s], ""));
    ASSERT_TRUE(chart.SetSeriesPen(s, PenStyle::kSolid, s == 1 ? 2 : 1, kSeriesColours[s]));
    ASSERT_TRUE(chart.SetSeriesTextColors(s, kSeriesColours[s], kNoColour));
  }
  chart.SetShowNames(0);
  chart.SetShowNumbers(0);
  chart.SetShowValues(0);
}

// Axes on a 0..100 scale with the critical value at 100 (so that with the border at 80 a
// value v lies at 0.8 v percent of the radius).
inline void AddAxes(WindRose& chart, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    ASSERT_TRUE(chart.AddAxis(name, "", false, 0.0, 100.0, 100.0, 1.0, nullptr)) << name;
  }
}

inline std::vector<Point> LineEnds(const RecordingSurface& surface) {
  std::vector<Point> ends;
  for (const RecordedCall& call : surface.CallsOf(RecordedCall::Kind::kLineTo)) {
    ends.push_back(call.to);
  }
  return ends;
}

// A drawn text and where its box begins.
struct PlacedText {
  std::string text;
  Point at;

  bool operator==(const PlacedText&) const = default;
};

inline void PrintTo(const PlacedText& t, std::ostream* os) {
  *os << "\"" << t.text << "\" at ";
  PrintTo(t.at, os);
}

inline std::vector<PlacedText> PlacedTexts(const RecordingSurface& surface) {
  std::vector<PlacedText> texts;
  for (const RecordedCall& call : surface.CallsOf(RecordedCall::Kind::kDrawText)) {
    texts.push_back(PlacedText{call.text, Point{call.rect.left, call.rect.top}});
  }
  return texts;
}

// The box of a circle of radius r around (cx, cy), as the chart passes it to FullArc.
inline Rect Circle(int cx, int cy, int r) { return Rect{cx - r, cy - r, cx + r, cy + r}; }

inline std::vector<Rect> ArcBoxes(const RecordingSurface& surface) {
  std::vector<Rect> boxes;
  for (const RecordedCall& call : surface.CallsOf(RecordedCall::Kind::kFullArc)) {
    boxes.push_back(call.rect);
  }
  return boxes;
}

}  // namespace corvane::chart::render_test
