// The engine's Draw: the status text wrapped and centred in place of the chart, in the
// profile's text and background colours, and the chart when there is no status text.
// Text measures 6 pixels per character and 12 pixels high.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "chart/recording_surface.h"
#include "core/engine.h"
#include "platform/fake/fake_provider.h"
#include "tests/render/render_test_support.h"

namespace corvane {
namespace {

using chart::Point;
using chart::RecordedCall;
using chart::RecordingSurface;
using chart::Rect;
using chart::render_test::PlacedText;
using chart::render_test::PlacedTexts;
using Kind = RecordedCall::Kind;

class EngineDraw : public ::testing::Test {
 protected:
  fake::FakeProvider provider_;
  Corvane engine_{provider_, false};
  RecordingSurface surface_;
};

TEST_F(EngineDraw, StatusTextIsWrappedToNinetyPercentAndCentred) {
  struct Case {
    const char* what;
    std::string text;
    Rect rect;
    std::vector<PlacedText> lines;
  };
  const Case cases[] = {
      {"one line", "Loading...", Rect{0, 0, 200, 100}, {{"Loading...", {70, 44}}}},
      {"offset rectangle", "Loading...", Rect{100, 50, 300, 150}, {{"Loading...", {170, 94}}}},
      // 108 px (18 characters) per line; blank lines keep their height.
      {"connection notice",
       "Connecting to \\\\server\n\nThis may take some time.\n\nPlease wait...",
       Rect{0, 0, 120, 200},
       {{"Connecting to", {21, 58}},
        {"\\\\server", {36, 70}},
        {"This may take some", {6, 94}},
        {"time.", {45, 106}},
        {"Please wait...", {18, 130}}}},
      {"CR LF ends a line too",
       "ab\r\ncd",
       Rect{0, 0, 200, 100},
       {{"ab", {94, 38}}, {"cd", {94, 50}}}},
      // 90 px: a word longer than 15 characters is broken between characters.
      {"long word",
       "abcdefghijklmnopqrstuvwxyz",
       Rect{0, 0, 100, 100},
       {{"abcdefghijklmno", {5, 38}}, {"pqrstuvwxyz", {17, 50}}}},
      {"spaces at a break are dropped",
       "aaaa    bbbb",
       Rect{0, 0, 60, 100},
       {{"aaaa", {18, 38}}, {"bbbb", {18, 50}}}},
  };
  for (const Case& c : cases) {
    engine_.SetStatusText(c.text);
    surface_.Clear();
    ASSERT_TRUE(engine_.Draw(surface_, c.rect));
    EXPECT_EQ(PlacedTexts(surface_), c.lines) << c.what;
    EXPECT_TRUE(surface_.CallsOf(Kind::kFullArc).empty()) << c.what;
  }
}

TEST_F(EngineDraw, StatusTextTakesTheProfileColoursAndFontAndGivesThemBack) {
  engine_.SetUpNewProfile();
  CorvaneSettings settings = engine_.GetSettings();
  settings.TextColor = 0x123456;
  settings.BackColor = 0x654321;
  engine_.SetSettings(settings);
  engine_.SetStatusText("Loading...");
  const chart::FontSpec font_before = surface_.font();
  engine_.Draw(surface_, Rect{0, 0, 300, 300});

  const std::vector<RecordedCall> texts = surface_.CallsOf(Kind::kDrawText);
  ASSERT_EQ(texts.size(), 1U);
  EXPECT_EQ(texts[0].text_colour, 0x123456);
  EXPECT_EQ(texts[0].back_colour, 0x654321);
  EXPECT_EQ(texts[0].font, (chart::FontSpec{"MS Sans Serif", 12}));
  EXPECT_EQ(surface_.text_colour(), 0x000000);
  EXPECT_EQ(surface_.back_colour(), 0xFFFFFF);
  EXPECT_EQ(surface_.font(), font_before);
}

TEST_F(EngineDraw, WithoutStatusTextTheChartIsDrawn) {
  engine_.SetStatusText("Loading...");
  engine_.SetStatusText("");
  engine_.Draw(surface_, Rect{0, 0, 200, 200});
  EXPECT_TRUE(surface_.CallsOf(Kind::kDrawText).empty());
  // No axes: the grid rings and the border, R = 100 - 4.
  const std::vector<Rect> arcs = chart::render_test::ArcBoxes(surface_);
  ASSERT_EQ(arcs.size(), 6U);
  EXPECT_EQ(arcs[4], chart::render_test::Circle(100, 100, 96));
}

// The collector's thread sets and clears the status text while the window draws: a frame
// shows either the text or the chart, never parts of both.
TEST_F(EngineDraw, EachFrameShowsEitherTheStatusTextOrTheChart) {
  std::atomic<bool> done{false};
  std::thread other([&] {
    for (int round = 0; round < 500; ++round) {
      engine_.SetStatusText(round % 2 == 0 ? "Loading..." : "");
    }
    done = true;
  });
  int frames = 0;
  while (!done || frames == 0) {
    surface_.Clear();
    engine_.Draw(surface_, Rect{0, 0, 200, 200});
    const bool text = !surface_.CallsOf(Kind::kDrawText).empty();
    const bool rings = !surface_.CallsOf(Kind::kFullArc).empty();
    EXPECT_NE(text, rings);
    ++frames;
  }
  other.join();
}

}  // namespace
}  // namespace corvane
