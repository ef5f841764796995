// Where the screen saver's chart lies, how it moves and when it is shown.
#include "screensaver/chart_placement.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "screensaver/user_input.h"

namespace corvane::screensaver {
namespace {

ChartPlacement::Random Seeded(std::uint32_t seed) {
  return [engine = std::mt19937(seed)]() mutable { return engine(); };
}

// Ticks until the chart has moved `moves` times; the rectangles it took.
std::vector<chart::Rect> Moves(ChartPlacement& placement, int moves) {
  std::vector<chart::Rect> rects;
  while (static_cast<int>(rects.size()) < moves) {
    if (placement.Tick() && !placement.visible()) rects.push_back(placement.rect());
  }
  return rects;
}

struct SizeCase {
  const char* name;
  int area, width, height;
  int chart_width, chart_height;
  int max_left, max_top;  // inclusive bounds of the top-left corner after a move
};

void PrintTo(const SizeCase& c, std::ostream* out) { *out << c.name; }

class ChartSizeTest : public testing::TestWithParam<SizeCase> {};

TEST_P(ChartSizeTest, SizeCentreAndMoves) {
  const SizeCase& c = GetParam();
  ChartPlacement placement(c.area, 20, Seeded(7));
  placement.SetClientSize(c.width, c.height);
  const chart::Rect start = placement.rect();
  EXPECT_EQ(start.right - start.left, c.chart_width);
  EXPECT_EQ(start.bottom - start.top, c.chart_height);
  EXPECT_EQ(start.left, (c.width - c.chart_width) / 2);
  EXPECT_EQ(start.top, (c.height - c.chart_height) / 2);
  int seen_max_top = 0;
  for (const chart::Rect& r : Moves(placement, 300)) {
    EXPECT_GE(r.left, 0);
    EXPECT_LE(r.left, c.max_left);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.top, c.max_top);
    EXPECT_EQ(r.right - r.left, c.chart_width);
    EXPECT_EQ(r.bottom - r.top, c.chart_height);
    seen_max_top = std::max(seen_max_top, r.top);
  }
  // The moves use the whole range, not only its start.
  EXPECT_GT(seen_max_top, c.max_top / 2);
}

INSTANTIATE_TEST_SUITE_P(Areas, ChartSizeTest,
                         testing::Values(SizeCase{"Full", 100, 800, 600, 799, 590, 0, 9},
                                         SizeCase{"Half", 50, 1024, 768, 511, 374, 512, 393},
                                         SizeCase{"Small", 1, 1920, 1080, 18, 0, 1901, 1079}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChartPlacementTest, AreaOverHundredStaysCentredWithoutDividingByZero) {
  // 101 % of 100 pixels: w = 100, so the free range is 0; of 200 pixels the range is negative.
  for (const int width : {100, 200}) {
    ChartPlacement placement(101, 1, Seeded(3));
    placement.SetClientSize(width, 300);
    const chart::Rect centred = placement.rect();
    for (const chart::Rect& r : Moves(placement, 5)) EXPECT_EQ(r.left, centred.left);
  }
}

TEST(ChartPlacementTest, AreaSizesWrittenByHandBeyondAnyScreenStayInRange) {
  // A hand-edited AreaSize far beyond 100 makes a chart larger than any window, centred; a
  // negative one makes none. Neither may overflow on the way (UBSan stops the test if it does).
  struct Case {
    int area;
    bool larger_than_window;
  };
  for (const Case& c : {Case{999999999, true}, Case{2147483647, true}, Case{-999999999, false},
                        Case{-2147483647 - 1, false}}) {
    ChartPlacement placement(c.area, 1, Seeded(9));
    placement.SetClientSize(1920, 1080);
    const chart::Rect start = placement.rect();
    EXPECT_EQ(start.right - start.left, placement.chart_width()) << c.area;
    EXPECT_EQ(start.bottom - start.top, placement.chart_height()) << c.area;
    if (c.larger_than_window) {
      EXPECT_GT(placement.chart_width(), 1920) << c.area;
      EXPECT_GT(placement.chart_height(), 1080) << c.area;
      EXPECT_NEAR(start.left + start.right, 1920, 1) << c.area;
      EXPECT_NEAR(start.top + start.bottom, 1080, 1) << c.area;
      for (const chart::Rect& r : Moves(placement, 3)) EXPECT_EQ(r.left, start.left) << c.area;
    } else {
      EXPECT_EQ(placement.chart_width(), 0) << c.area;
      EXPECT_EQ(placement.chart_height(), 0) << c.area;
    }
  }
}

TEST(ChartPlacementTest, TinyWindowHasNoChart) {
  ChartPlacement placement(50, 20, Seeded(1));
  placement.SetClientSize(1, 15);
  EXPECT_EQ(placement.chart_width(), 0);
  EXPECT_EQ(placement.chart_height(), 0);
}

TEST(ChartPlacementTest, TimeoutOneShowsOneSecondAndHidesOne) {
  ChartPlacement placement(50, 1, Seeded(5));
  placement.SetClientSize(640, 480);
  // The first cycle: shown from the start until the timeout has passed.
  EXPECT_FALSE(placement.Tick());
  EXPECT_TRUE(placement.visible());
  for (int cycle = 0; cycle < 4; ++cycle) {
    EXPECT_TRUE(placement.Tick()) << cycle;  // hidden and moved
    EXPECT_FALSE(placement.visible());
    EXPECT_TRUE(placement.Tick()) << cycle;  // shown again
    EXPECT_TRUE(placement.visible());
  }
}

TEST(ChartPlacementTest, TimeoutThreeCyclesEveryFourSeconds) {
  ChartPlacement placement(50, 3, Seeded(5));
  placement.SetClientSize(640, 480);
  std::vector<bool> repaints;
  std::vector<bool> shown;
  for (int second = 1; second <= 12; ++second) {
    repaints.push_back(placement.Tick());
    shown.push_back(placement.visible());
  }
  EXPECT_EQ(repaints, (std::vector<bool>{false, false, false, true, true, false, false, true, true,
                                         false, false, true}));
  EXPECT_EQ(shown, (std::vector<bool>{true, true, true, false, true, true, true, false, true, true,
                                      true, false}));
}

TEST(UserInputTest, KeysAndButtonsEndAtOnceMotionAfterSlack) {
  UserInput input;
  EXPECT_TRUE(input.OnKey());
  EXPECT_TRUE(input.OnButton());
  EXPECT_FALSE(input.OnMotion({500, 400}));  // where the pointer was
  EXPECT_FALSE(input.OnMotion({500 + UserInput::kMotionSlack, 400 - UserInput::kMotionSlack}));
  EXPECT_TRUE(input.OnMotion({500, 400 + UserInput::kMotionSlack + 1}));
}

}  // namespace
}  // namespace corvane::screensaver
