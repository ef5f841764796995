// A whole wind rose drawn into the SVG surface, compared byte for byte with a golden file.
// Set CORVANE_UPDATE_GOLDEN=1 to rewrite the golden file after an intended change, and look
// at the new picture before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "chart/svg_surface.h"
#include "chart/wind_rose.h"
#include "tests/render/render_test_support.h"

namespace corvane::chart {
namespace {

const char* const kGoldenPath = CORVANE_FIXTURES_DIR "/render/wind_rose_five_axes.svg";

std::string DrawSnapshot() {
  WindRose chart(32, 4);
  render_test::SetUpChart(chart);
  chart.SetShowNames(1);
  chart.SetShowValues(1);
  chart.SetShowNumbers(1);
  render_test::AddAxes(chart, {"% Processor Time", "% Committed Bytes In Use",
                               "Disk <sda> & \"nvme0n1\"", "Bytes Total/sec", "Processes"});
  const double values[5][3] = {{97.5, 41.25, 12.0},
                               {63.0, 60.5, 61.0},
                               {100.0, 12.0, 4.5},
                               {20.0, 3.0, 0.0},
                               {120.0, 80.0, 90.0}};
  for (int axis = 0; axis < 5; ++axis) {
    for (int s = 0; s < 3; ++s) EXPECT_TRUE(chart.SetSeriesValue(axis, values[axis][s], s));
  }
  EXPECT_TRUE(chart.SetValueState(3, ValueState::kNotAvailable, 2));

  SvgSurface surface(480, 360);
  surface.FillRect(Rect{0, 0, 480, 360}, render_test::kBackColour);
  chart.DrawChart(surface, Rect{0, 0, 480, 360});
  return surface.Document();
}

TEST(SvgSnapshot, FiveAxesMatchTheGoldenFile) {
  const std::string drawn = DrawSnapshot();
  const char* update = std::getenv("CORVANE_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    std::ofstream out(kGoldenPath, std::ios::binary | std::ios::trunc);
    out << drawn;
    ASSERT_TRUE(out.good()) << "cannot write " << kGoldenPath;
  }
  std::ifstream in(kGoldenPath, std::ios::binary);
  ASSERT_TRUE(in.is_open()) << "cannot read " << kGoldenPath;
  const std::string golden{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(drawn, golden);
}

TEST(SvgSnapshot, DrawingIsRepeatable) { EXPECT_EQ(DrawSnapshot(), DrawSnapshot()); }

}  // namespace
}  // namespace corvane::chart
