// The chart drawn in layers, as the desktop view and the screen saver draw it: a sample that
// changes nothing asks for no paint, one that changes one axis asks for that axis's lines and
// texts only, and whatever the samples, the picture kept up by painting only the changed
// regions is, pixel for pixel, the picture painted whole from the same state (at device pixel
// ratios 1 and 2).
#include "platform/qt/chart_layers.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdint>
#include <string>
#include <vector>

#include "chart/frame_description.h"
#include "core/counter_item.h"
#include "core/engine.h"
#include "core/engine_picture.h"
#include "platform/fake/fake_provider.h"
#include "platform/qt/text_layout_cache.h"
#include "tests/render/qt_test_app.h"

namespace corvane {
namespace {

using qt::ChartLayers;

class ChartLayersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    render_test::EnsureGuiApplication();
    engine_.SetUpNewProfile();
    engine_.RemoveAllAxes();
    for (int i = 0; i < 8; ++i) {
      ASSERT_TRUE(engine_.AddAxis(
          "Counter " + std::to_string(i + 1), "", false, 0, 100, 80, 1,
          new CounterItem("\\Processor(" + std::to_string(i) + ")\\% Processor Time")));
    }
    engine_.SetShowNames(1);
    engine_.SetShowValues(1);
    engine_.PrepareStatistics();
    draw_ = [this](chart::DrawingSurface& surface, const chart::Rect& rect) {
      DrawWholePicture(engine_, surface, rect);
    };
  }

  void Sample(const std::vector<double>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (values[i] < 0) {
        engine_.SetUnavailable(static_cast<int>(i));
      } else {
        engine_.SetValue(static_cast<int>(i), values[i]);
      }
    }
    engine_.EndSample();
  }

  // The picture painted whole from the engine's state now, by layers that know nothing before.
  QImage WholePicture(const QRect& rect, qreal ratio) {
    qt::TextLayoutCache cache;
    ChartLayers layers(cache);
    QImage image = Screen(rect, ratio);
    const QRegion region = layers.Update(draw_, rect, ratio);
    EXPECT_EQ(region, QRegion(rect));
    PaintInto(image, layers, region);
    return image;
  }

  // An image standing for the window's backing store, filled with a colour the chart never
  // uses, so that a part left unpainted shows.
  static QImage Screen(const QRect& rect, qreal ratio) {
    QImage image((QSizeF(rect.size()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(QColor(255, 0, 255));
    return image;
  }

  static void PaintInto(QImage& image, ChartLayers& layers, const QRegion& region) {
    QPainter painter(&image);
    painter.setClipRegion(region);
    layers.Paint(painter, region);
  }

  fake::FakeProvider provider_;
  Corvane engine_{provider_, false};
  ChartLayers::DrawFunction draw_;
};

int Area(const QRegion& region) {
  int area = 0;
  for (const QRect& part : region) area += part.width() * part.height();
  return area;
}

TEST_F(ChartLayersTest, ASampleThatChangesNothingShownAsksForNoPaint) {
  qt::TextLayoutCache cache;
  ChartLayers layers(cache);
  const QRect rect(0, 0, 400, 300);
  Sample({10, 20, 30, 40, 50, 60, 70, 80});
  EXPECT_EQ(layers.Update(draw_, rect, 1.0), QRegion(rect)) << "the first picture is whole";
  // The same readings again: averages and maxima stay too, nothing shown changes.
  for (int i = 0; i < 3; ++i) {
    Sample({10, 20, 30, 40, 50, 60, 70, 80});
    EXPECT_TRUE(layers.Update(draw_, rect, 1.0).isEmpty()) << "sample " << i;
  }
  Sample({11, 20, 30, 40, 50, 60, 70, 80});
  EXPECT_FALSE(layers.Update(draw_, rect, 1.0).isEmpty()) << "a changed value is shown";
}

TEST_F(ChartLayersTest, OneChangedAxisAsksForItsLinesAndTextsOnly) {
  qt::TextLayoutCache cache;
  ChartLayers layers(cache);
  const QRect rect(0, 0, 600, 600);
  const std::vector<double> steady = {50, 50, 50, 50, 50, 50, 50, 50};
  for (int i = 0; i < 3; ++i) Sample(steady);
  layers.Update(draw_, rect, 1.0);
  const std::vector<chart::Point> before(engine_.GetSeriesPoints(Corvane::kCurrentSeries).begin(),
                                         engine_.GetSeriesPoints(Corvane::kCurrentSeries).end());
  const std::size_t still_ops = [&] {
    std::size_t count = 0;
    for (const chart::FrameOp& op : layers.frame().ops())
      count += op.layer == chart::DrawingLayer::kStill;
    return count;
  }();
  EXPECT_GT(still_ops, 0U);

  // Axis 2 (at three o'clock) goes to 90; the others stay.
  std::vector<double> changed = steady;
  changed[2] = 90;
  Sample(changed);
  const QRegion region = layers.Update(draw_, rect, 1.0);
  ASSERT_FALSE(region.isEmpty());
  const auto after = engine_.GetSeriesPoints(Corvane::kCurrentSeries);

  // The lines that meet at axis 2, before and after, and the texts at its end.
  QRect allowed;
  for (int axis : {1, 2, 3}) {
    allowed |= QRect(QPoint(before[axis].x, before[axis].y), QSize(1, 1));
    allowed |= QRect(QPoint(after[axis].x, after[axis].y), QSize(1, 1));
  }
  for (const chart::FrameOp& op : layers.frame().ops()) {
    if (op.layer != chart::DrawingLayer::kMoving || op.kind != chart::FrameOp::Kind::kText)
      continue;
    // Axis 2's value texts lie right of the centre, beside its end.
    if (op.shape.left > rect.center().x() + 100 && op.shape.top < rect.center().y() + 30 &&
        op.shape.bottom > rect.center().y() - 30) {
      allowed |= QRect(op.shape.left, op.shape.top, op.shape.right - op.shape.left,
                       op.shape.bottom - op.shape.top);
    }
  }
  allowed.adjust(-8, -8, 8, 8);  // pens and the glyphs' overhang
  EXPECT_TRUE(allowed.contains(region.boundingRect()))
      << "changed " << region.boundingRect().x() << "," << region.boundingRect().y() << " "
      << region.boundingRect().width() << "x" << region.boundingRect().height();
  EXPECT_LT(Area(region), rect.width() * rect.height() / 8);

  // The other axes' value texts are not touched.
  int untouched = 0;
  for (const chart::FrameOp& op : layers.frame().ops()) {
    if (op.layer != chart::DrawingLayer::kMoving || op.kind != chart::FrameOp::Kind::kText)
      continue;
    if (op.shape.right < rect.center().x() - 100) {
      EXPECT_FALSE(
          region.intersects(QRect(op.shape.left, op.shape.top, op.shape.right - op.shape.left,
                                  op.shape.bottom - op.shape.top)));
      ++untouched;
    }
  }
  EXPECT_GT(untouched, 0);
  EXPECT_EQ(layers.still_redraws(), 0) << "nothing was painted yet";
}

TEST_F(ChartLayersTest, TheStillLayerIsDrawnAgainOnlyWhenItChanges) {
  qt::TextLayoutCache cache;
  ChartLayers layers(cache);
  QRect rect(0, 0, 300, 300);
  QImage screen = Screen(rect, 1.0);
  auto step = [&] { PaintInto(screen, layers, layers.Update(draw_, rect, 1.0)); };
  Sample({1, 2, 3, 4, 5, 6, 7, 8});
  step();
  EXPECT_EQ(layers.still_redraws(), 1);
  for (int i = 0; i < 4; ++i) {
    Sample({10.0 * i, 2, 30, 4, 50, 6, 70, 8});
    step();
  }
  EXPECT_EQ(layers.still_redraws(), 1) << "samples leave the still layer alone";
  engine_.SetGridStep(25);
  step();
  EXPECT_EQ(layers.still_redraws(), 2) << "a setting";
  rect = QRect(0, 0, 320, 300);
  screen = Screen(rect, 1.0);
  step();
  EXPECT_EQ(layers.still_redraws(), 3) << "the window's size";
}

// Samples of every kind (values up and down, critical and back, N/A, the status text, a
// changed setting, another size), each painted only where it changed, end in the picture
// painted whole.
class ChartLayersSequence : public ChartLayersTest, public ::testing::WithParamInterface<qreal> {};

TEST_P(ChartLayersSequence, PaintingOnlyTheChangesEndsInTheWholePicture) {
  const qreal ratio = GetParam();
  qt::TextLayoutCache cache;
  ChartLayers layers(cache);
  QRect rect(0, 0, 420, 320);
  QImage screen = Screen(rect, ratio);
  std::uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1664525U + 1013904223U;
    return (seed >> 8) % 100;
  };
  int partial = 0;
  for (int s = 0; s < 40; ++s) {
    std::vector<double> values(8);
    for (int i = 0; i < 8; ++i) values[i] = static_cast<double>(next());
    if (s % 3 != 0) {
      // Most samples change only a few axes, as on an idle machine.
      for (int i = 2; i < 8; ++i) values[i] = 20 + i;
    }
    if (s % 7 == 3) values[5] = -1;  // no reading
    if (s % 11 == 5) values[1] = 99.5;
    Sample(values);
    if (s == 12) engine_.SetStatusText("Loading...");
    if (s == 14) engine_.SetStatusText({});
    if (s == 20) engine_.SetCriticalBorder(60);
    if (s == 30) {
      rect = QRect(0, 0, 380, 360);
      screen = Screen(rect, ratio);
    }
    const QRegion region = layers.Update(draw_, rect, ratio);
    if (!region.isEmpty() && region != QRegion(rect)) ++partial;
    PaintInto(screen, layers, region);
    const QImage whole = WholePicture(rect, ratio);
    ASSERT_EQ(screen.size(), whole.size());
    ASSERT_TRUE(screen == whole) << "sample " << s << " at ratio " << ratio;
  }
  EXPECT_GT(partial, 20) << "most samples paint part of the window";
}

INSTANTIATE_TEST_SUITE_P(Ratios, ChartLayersSequence, ::testing::Values(1.0, 2.0));

// The frame description itself: equal frames, and the moving areas of a changed polyline.
TEST(FrameDescriptionTest, ChangedPolylinePointsGiveTheirSegmentsOnly) {
  struct Fixed final : chart::TextMeasure {
    chart::TextSize Measure(const chart::FontSpec&, std::string_view text) override {
      return {static_cast<int>(text.size()) * 6, 12};
    }
  } measure;
  auto record = [&](chart::FrameDescription& frame, std::vector<chart::Point> points,
                    std::string value) {
    chart::FrameRecorder recorder(frame, measure);
    recorder.FillRect(chart::Rect{0, 0, 100, 100}, 0);
    recorder.SetLayer(chart::DrawingLayer::kMoving);
    recorder.Polyline(points);
    recorder.DrawText(chart::Point{60, 10}, value);
  };
  chart::FrameDescription a;
  chart::FrameDescription b;
  const std::vector<chart::Point> square = {{10, 10}, {50, 10}, {50, 50}, {10, 50}, {10, 10}};
  record(a, square, "12");
  record(b, square, "12");
  EXPECT_TRUE(a == b);
  std::vector<chart::Rect> changed;
  chart::FrameDescription::ChangedAreas(a, b, &changed);
  EXPECT_TRUE(changed.empty());

  std::vector<chart::Point> moved = square;
  moved[2] = {70, 70};
  record(b, moved, "12");
  EXPECT_FALSE(a == b);
  EXPECT_TRUE(chart::FrameDescription::SameStill(a, b));
  chart::FrameDescription::ChangedAreas(a, b, &changed);
  ASSERT_EQ(changed.size(), 4U);  // the two segments at the point, before and after
  const auto contains = [](const chart::Rect& area, chart::Point p) {
    return p.x >= area.left && p.x < area.right && p.y >= area.top && p.y < area.bottom;
  };
  for (const chart::Rect& area : changed) {
    EXPECT_FALSE(contains(area, {30, 10})) << "the top segment did not move";
    EXPECT_FALSE(contains(area, {10, 30})) << "the left segment did not move";
  }
  EXPECT_TRUE(contains(changed[1], {60, 40})) << "the new segment from (50, 10) to (70, 70)";

  changed.clear();
  record(b, square, "13");
  chart::FrameDescription::ChangedAreas(a, b, &changed);
  ASSERT_EQ(changed.size(), 2U) << "the text's old and new box";
  EXPECT_LE(changed[0].left, 60);
  EXPECT_GE(changed[0].right, 72);

  chart::FrameRecorder recorder(b, measure);
  recorder.FillRect(chart::Rect{0, 0, 100, 100}, 0xFF);
  EXPECT_FALSE(chart::FrameDescription::SameStill(a, b)) << "another background";
}

}  // namespace
}  // namespace corvane
