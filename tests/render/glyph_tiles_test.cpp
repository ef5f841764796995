// Plain texts drawn from their characters' pictures against Qt's own drawing of the same
// texts: the same width, the same ink in the same place at device pixel ratios 1 and 2, in
// the colour asked for even when the picture was kept from an earlier paint; and a text the
// font kerns or that it lacks characters for is never taken for plain. Runs on Qt's
// offscreen platform.
#include "platform/qt/glyph_tiles.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/qt/painter_surface.h"
#include "platform/qt/text_layout_cache.h"
#include "tests/render/qt_test_app.h"

namespace corvane::qt {
namespace {

class GlyphTilesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { render_test::EnsureGuiApplication(); }

  static QImage WhiteImage(int width, int height, qreal ratio) {
    QImage image(QSize(width, height) * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    return image;
  }

  // The text drawn by Qt's own text layout, black on white.
  static QImage QtDrawn(const QFont& font, const std::string& text, QPointF at, qreal ratio) {
    QImage image = WhiteImage(kWidth, kHeight, ratio);
    QTextLayout layout(QString::fromStdString(text), font);
    layout.beginLayout();
    layout.createLine().setPosition(QPointF(0, 0));
    layout.endLayout();
    QPainter painter(&image);
    painter.setPen(Qt::black);
    layout.draw(&painter, at);
    return image;
  }

  // The text drawn through the surface with a cache, in `colour`, `times` times (the later
  // times from the kept picture).
  static QImage SurfaceDrawn(TextLayoutCache& cache, const chart::FontSpec& font,
                             const std::string& text, chart::Point at, qreal ratio,
                             chart::Colour colour = 0x000000) {
    QImage image = WhiteImage(kWidth, kHeight, ratio);
    QPainter painter(&image);
    PainterSurface surface(painter, PainterSurface::LineSmoothing::kOff, &cache);
    surface.SelectFont(font);
    surface.SetTextBackground(chart::TextBackground::kTransparent);
    surface.SetTextColour(colour);
    surface.DrawText(at, text);
    return image;
  }

  // The box around every pixel that is not white, in device pixels.
  static QRect InkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
      }
    }
    return box;
  }

  // The largest and the mean difference of the grey levels of two images' pixels.
  static std::pair<int, double> Difference(const QImage& a, const QImage& b) {
    int largest = 0;
    long long sum = 0;
    for (int y = 0; y < a.height(); ++y) {
      for (int x = 0; x < a.width(); ++x) {
        const int d = std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
        largest = std::max(largest, d);
        sum += d;
      }
    }
    return {largest, static_cast<double>(sum) / (static_cast<double>(a.width()) * a.height())};
  }

  static constexpr int kWidth = 160;
  static constexpr int kHeight = 40;
};

TEST_F(GlyphTilesTest, PlainTextsLookAsQtDrawsThem) {
  const std::string texts[] = {" 12715.51 ", " N/A ", "0123456789", " -0.25 ", "1.2e+09%"};
  for (const chart::FontSpec& font :
       {chart::FontSpec{"", 12}, chart::FontSpec{"", 8}, chart::FontSpec{"MS Sans Serif", 17}}) {
    const QFont qt_font = PainterSurface::ToQFont(font);
    for (const qreal ratio : {1.0, 2.0}) {
      TextLayoutCache cache;
      for (const std::string& text : texts) {
        SCOPED_TRACE(text + " at " + std::to_string(font.height) + " px, ratio " +
                     std::to_string(ratio));
        ASSERT_TRUE(cache.ForFont(qt_font).Get(text).plain);
        const QImage ours = SurfaceDrawn(cache, font, text, chart::Point{7, 9}, ratio);
        const QImage theirs = QtDrawn(qt_font, text, QPointF(7, 9), ratio);
        const QRect ours_box = InkBox(ours);
        const QRect theirs_box = InkBox(theirs);
        ASSERT_FALSE(theirs_box.isEmpty());
        // The same ink in the same place, give or take the shading of a glyph's edge where a
        // character starts between device pixels (its picture is drawn at a quarter pixel).
        EXPECT_LE(std::abs(ours_box.left() - theirs_box.left()), 1);
        EXPECT_LE(std::abs(ours_box.right() - theirs_box.right()), 1);
        EXPECT_LE(std::abs(ours_box.top() - theirs_box.top()), 1);
        EXPECT_LE(std::abs(ours_box.bottom() - theirs_box.bottom()), 1);
        const auto [largest, mean] = Difference(ours, theirs);
        EXPECT_LE(largest, 96);
        EXPECT_LE(mean, 1.0);
      }
    }
  }
}

TEST_F(GlyphTilesTest, PlainAdvancesAreTheLayoutsAndKernedTextsAreNotPlain) {
  for (const int pixels : {8, 12, 17, 30}) {
    QFont font = PainterSurface::ToQFont(chart::FontSpec{"", pixels});
    GlyphTiles tiles(font);
    int kerned = 0;
    int plain = 0;
    for (const char* text : {"0123456789", " 97.50 ", "AVATAR Tete", "Yo, WAVE", "fi fl", "To"}) {
      SCOPED_TRACE(std::string(text) + " at " + std::to_string(pixels));
      QTextLayout layout(QString::fromUtf8(text), font);
      layout.beginLayout();
      const QTextLine line = layout.createLine();
      layout.endLayout();
      // Laid out character by character, the text must be as wide as the font's layout.
      qreal apart = 0;
      for (const char c : std::string(text)) {
        QTextLayout one(QString(QChar(c)), font);
        one.beginLayout();
        const QTextLine single = one.createLine();
        one.endLayout();
        apart += single.horizontalAdvance();
      }
      const std::optional<qreal> advance = tiles.PlainAdvance(text);
      if (apart != line.horizontalAdvance()) {
        ++kerned;
        EXPECT_FALSE(advance.has_value()) << "kerned, yet taken for plain";
      } else if (advance) {
        ++plain;
        EXPECT_EQ(*advance, line.horizontalAdvance());
      }
    }
    // Both kinds were met, so both checks above were made.
    EXPECT_GT(kerned, 0);
    EXPECT_GE(plain, 2);
    // Outside printable ASCII the font's layout decides.
    EXPECT_FALSE(tiles.PlainAdvance("\xc2\xb5s").has_value());
    EXPECT_FALSE(tiles.PlainAdvance("a\tb").has_value());
    EXPECT_TRUE(tiles.PlainAdvance("").has_value());
  }
}

TEST_F(GlyphTilesTest, AKeptPictureIsDrawnInTheColourAskedFor) {
  TextLayoutCache cache;
  const chart::FontSpec font{"", 14};
  struct Case {
    chart::Colour colour;  // 0x00BBGGRR
    QRgb expected;
    qreal ratio;
  };
  const Case cases[] = {{0x0000FF, qRgb(255, 0, 0), 1.0},
                        {0xFF0000, qRgb(0, 0, 255), 1.0},
                        {0xFF0000, qRgb(0, 0, 255), 2.0},
                        {0x0000FF, qRgb(255, 0, 0), 2.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    const QImage image = SurfaceDrawn(cache, font, " 8888 ", chart::Point{3, 3}, c.ratio, c.colour);
    // The darkest pixel of the text is the colour itself.
    QRgb darkest = qRgb(255, 255, 255);
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (qGray(image.pixel(x, y)) < qGray(darkest)) darkest = image.pixel(x, y);
      }
    }
    EXPECT_EQ(darkest, c.expected);
  }
}

}  // namespace
}  // namespace corvane::qt
