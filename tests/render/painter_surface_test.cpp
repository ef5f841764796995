// The QPainter surface on real images: what it measures is what it draws, strokes cover whole
// pixels, arcs are outlines, opaque text fills its box; and a whole chart drawn through it
// and through the SVG surface (read back by Qt's SVG renderer) puts the critical border where
// the layout says. Runs on Qt's offscreen platform.
#include "platform/qt/painter_surface.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSvgRenderer>
#include <memory>
#include <string>

#include "chart/svg_surface.h"
#include "chart/wind_rose.h"
#include "tests/render/qt_test_app.h"
#include "tests/render/render_test_support.h"

namespace corvane::qt {
namespace {

using chart::Point;
using chart::Rect;

class PainterSurfaceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { render_test::EnsureGuiApplication(); }

  static QImage WhiteImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
  }

  // The box around every pixel that is not white; empty when there is none.
  static QRect InkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixelColor(x, y) != QColor(Qt::white)) box |= QRect(x, y, 1, 1);
      }
    }
    return box;
  }
};

TEST_F(PainterSurfaceTest, TextStaysInsideTheBoxItMeasures) {
  QImage image = WhiteImage(200, 60);
  chart::TextSize size;
  {
    QPainter painter(&image);
    PainterSurface surface(painter);
    surface.SelectFont(chart::FontSpec{"MS Sans Serif", 12});
    surface.SetTextBackground(chart::TextBackground::kTransparent);
    size = surface.MeasureText("Disk Time 97.50");
    surface.DrawText(Point{20, 10}, "Disk Time 97.50");
  }
  const QRect ink = InkBox(image);
  ASSERT_FALSE(ink.isEmpty());
  EXPECT_GT(size.width, 40);
  EXPECT_EQ(size.height, QFontMetrics(PainterSurface::ToQFont({"MS Sans Serif", 12})).height());
  EXPECT_TRUE(QRect(19, 10, size.width + 2, size.height).contains(ink))
      << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
  // Wide enough that the measured width is really what is drawn, not a guess.
  EXPECT_GE(ink.right(), 20 + size.width * 3 / 4);
}

// The chart places its texts by these widths, so they must be the font's own, kerning and
// trailing spaces included, in the fonts the chart uses.
TEST_F(PainterSurfaceTest, MeasuredWidthsAreTheFontMetricsAdvances) {
  const char* const samples[] = {"Disk Time 97.50",
                                 "  ",
                                 "AVATAR Tete",
                                 "12715.51 ",
                                 "x",
                                 "<b>Disk</b> &amp;",
                                 "\xc3\xa9t\xc3\xa9 \xe2\x80\x94 \xc2\xb5s"};
  for (const chart::FontSpec& font :
       {chart::FontSpec{"MS Sans Serif", 12}, chart::FontSpec{"", 8}, chart::FontSpec{"", 17}}) {
    TextLayoutCache cache;
    TextLayoutCache::FontTexts& texts = cache.ForFont(PainterSurface::ToQFont(font));
    const QFontMetrics metrics(PainterSurface::ToQFont(font));
    for (const char* text : samples) {
      EXPECT_EQ(texts.Get(text).width, metrics.horizontalAdvance(QString::fromUtf8(text)))
          << text << " at " << font.height;
    }
  }
}

TEST_F(PainterSurfaceTest, MarkupInNamesIsDrawnAsPlainText) {
  TextLayoutCache cache;  // lent to two surfaces in turn, as a window lends it to each repaint
  for (int repaint = 0; repaint < 2; ++repaint) {
    QImage image = WhiteImage(300, 40);
    chart::TextSize size;
    {
      QPainter painter(&image);
      PainterSurface surface(painter, PainterSurface::LineSmoothing::kOff, &cache);
      surface.SetTextBackground(chart::TextBackground::kTransparent);
      size = surface.MeasureText("<b>Disk</b> &amp;");
      surface.DrawText(Point{10, 10}, "<b>Disk</b> &amp;");
    }
    // Drawn as markup, only "Disk &" would show, far short of the measured width.
    const QRect ink = InkBox(image);
    EXPECT_GE(ink.right(), 10 + size.width * 3 / 4) << repaint;
    EXPECT_LE(ink.right(), 10 + size.width + 1) << repaint;
  }
}

TEST_F(PainterSurfaceTest, OpaqueTextFillsItsBoxWithTheBackgroundColour) {
  QImage image = WhiteImage(100, 40);
  chart::TextSize size;
  {
    QPainter painter(&image);
    PainterSurface surface(painter);
    surface.SetBackColour(0x0000FF);  // red
    size = surface.MeasureText("  ");
    surface.DrawText(Point{10, 10}, "  ");
  }
  ASSERT_GT(size.width, 0);
  EXPECT_EQ(InkBox(image), QRect(10, 10, size.width, size.height));
  EXPECT_EQ(image.pixelColor(10, 10), QColor(255, 0, 0));
}

constexpr PainterSurface::LineSmoothing kBothSmoothings[] = {PainterSurface::LineSmoothing::kOff,
                                                             PainterSurface::LineSmoothing::kOn};

TEST_F(PainterSurfaceTest, OnePixelLinesCoverWholePixels) {
  for (const PainterSurface::LineSmoothing smoothing : kBothSmoothings) {
    QImage image = WhiteImage(40, 20);
    {
      QPainter painter(&image);
      PainterSurface surface(painter, smoothing);
      surface.SelectPen(chart::Pen{chart::PenStyle::kSolid, 1, 0x000000});
      surface.MoveTo(Point{5, 7});
      surface.LineTo(Point{30, 7});
    }
    const int mode = static_cast<int>(smoothing);
    EXPECT_EQ(image.pixelColor(15, 7), QColor(Qt::black)) << mode;
    EXPECT_EQ(image.pixelColor(15, 6), QColor(Qt::white)) << mode;
    EXPECT_EQ(image.pixelColor(15, 8), QColor(Qt::white)) << mode;
  }
}

TEST_F(PainterSurfaceTest, FullArcIsAnOutline) {
  for (const PainterSurface::LineSmoothing smoothing : kBothSmoothings) {
    QImage image = WhiteImage(60, 60);
    {
      QPainter painter(&image);
      PainterSurface surface(painter, smoothing);
      surface.SelectPen(chart::Pen{chart::PenStyle::kSolid, 1, 0xFF0000});  // blue
      surface.FullArc(Rect{10, 10, 50, 50});
    }
    const int mode = static_cast<int>(smoothing);
    EXPECT_EQ(image.pixelColor(30, 30), QColor(Qt::white)) << mode;
    const QColor top = image.pixelColor(30, 10);
    EXPECT_GT(top.blue(), 200) << mode;
    EXPECT_LT(top.red(), 100) << mode;
    EXPECT_EQ(InkBox(image).intersected(QRect(0, 0, 60, 10)), QRect()) << mode;
    EXPECT_EQ(InkBox(image).intersected(QRect(0, 51, 60, 9)), QRect()) << mode;
  }
}

TEST_F(PainterSurfaceTest, NullPenDrawsNothingAndSettersHandBackThePreviousState) {
  QImage image = WhiteImage(40, 40);
  {
    QPainter painter(&image);
    PainterSurface surface(painter);
    const chart::Pen null_pen{chart::PenStyle::kNull, 1, 0};
    EXPECT_EQ(surface.SelectPen(null_pen), (chart::Pen{chart::PenStyle::kSolid, 1, 0}));
    surface.MoveTo(Point{0, 0});
    surface.LineTo(Point{39, 39});
    const Point points[] = {{0, 39}, {39, 0}};
    surface.Polyline(points);
    surface.FullArc(Rect{5, 5, 35, 35});
    EXPECT_EQ(surface.SelectPen(chart::Pen{}), null_pen);
    EXPECT_EQ(surface.SetTextColour(0x00FF00), 0x000000);
    EXPECT_EQ(surface.SetTextColour(chart::kNoColour), 0x00FF00);
    EXPECT_EQ(surface.SelectFont({"MS Sans Serif", 12}).height, 12);
  }
  EXPECT_TRUE(InkBox(image).isEmpty());
}

// Four axes without labels in 200 x 200: R = 96, the critical border (80 %) at radius 77, its
// top at row 23 on the vertical axis; no grid; every value 0.
std::unique_ptr<chart::WindRose> CriticalBorderChart() {
  auto chart = std::make_unique<chart::WindRose>(32, 4);
  chart::render_test::SetUpChart(*chart);
  EXPECT_TRUE(chart->SetCriticalPen(chart::PenStyle::kSolid, 1, 0x0000FF));
  EXPECT_TRUE(chart->SetGridStep(0));
  chart::render_test::AddAxes(*chart, {"a", "b", "c", "d"});
  return chart;
}

bool IsRed(const QColor& pixel) {
  return pixel.red() > 200 && pixel.green() < 60 && pixel.blue() < 60;
}

void ExpectCriticalBorderChart(const QImage& image) {
  EXPECT_TRUE(IsRed(image.pixelColor(100, 23)));   // the border, drawn over the axis
  EXPECT_TRUE(IsRed(image.pixelColor(177, 100)));  // its right end
  EXPECT_FALSE(IsRed(image.pixelColor(100, 22)));
  EXPECT_EQ(image.pixelColor(100, 60), QColor(128, 128, 128));  // the axis inside the ring
  EXPECT_EQ(image.pixelColor(130, 60), QColor(Qt::white));      // nothing between the axes
}

TEST_F(PainterSurfaceTest, ChartDrawnThroughQPainterPutsTheBorderWhereTheLayoutSays) {
  const auto chart = CriticalBorderChart();
  for (const PainterSurface::LineSmoothing smoothing : kBothSmoothings) {
    QImage image = WhiteImage(200, 200);
    {
      QPainter painter(&image);
      PainterSurface surface(painter, smoothing);
      chart->DrawChart(surface, Rect{0, 0, 200, 200});
    }
    SCOPED_TRACE(static_cast<int>(smoothing));
    ExpectCriticalBorderChart(image);
  }
}

TEST_F(PainterSurfaceTest, SvgSnapshotRendersLikeTheQPainterDrawing) {
  const auto chart = CriticalBorderChart();
  chart::SvgSurface svg(200, 200);
  chart->DrawChart(svg, Rect{0, 0, 200, 200});
  const std::string document = svg.Document();
  QSvgRenderer renderer(QByteArray(document.data(), static_cast<qsizetype>(document.size())));
  ASSERT_TRUE(renderer.isValid());
  EXPECT_EQ(renderer.defaultSize(), QSize(200, 200));
  QImage image = WhiteImage(200, 200);
  {
    QPainter painter(&image);
    renderer.render(&painter);
  }
  ExpectCriticalBorderChart(image);
}

}  // namespace
}  // namespace corvane::qt
