// The cairo surface read back from the PNG it writes: the file's size, each shape where the
// chart puts it (lines on pixel centres, dashes, rings, areas), text as wide as measured and as
// wide as the SVG pictures lay it out, and text that is not UTF-8.
#include "platform/linux/cairo/cairo_surface.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "chart/dejavu_sans_metrics.h"
#include "tests/platform/linux/cairo/png_image.h"

namespace corvane::cairo {
namespace {

using chart::Colour;
using chart::Pen;
using chart::PenStyle;
using chart::Point;
using chart::Rect;
using test_support::OpaqueOf;
using test_support::PngImage;
using test_support::Rgba;

constexpr Colour kRed = 0x0000FF;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlue = 0xFF0000;

std::unique_ptr<CairoSurface> MakeSurface(int width, int height) {
  std::string error;
  std::unique_ptr<CairoSurface> surface = CairoSurface::Create(width, height, &error);
  EXPECT_NE(surface, nullptr) << error;
  return surface;
}

PngImage Written(CairoSurface& surface) {
  std::string png;
  std::string error;
  EXPECT_TRUE(surface.WritePng(&png, &error)) << error;
  return PngImage(png);
}

bool Painted(const Rgba& pixel) { return pixel.a > 127; }

TEST(CairoSurface, WritesAPngOfTheSizeAsked) {
  const struct {
    int width;
    int height;
  } sizes[] = {{16, 16}, {480, 480}, {600, 400}, {20, 4096}};
  for (const auto& size : sizes) {
    std::unique_ptr<CairoSurface> surface = MakeSurface(size.width, size.height);
    ASSERT_NE(surface, nullptr);
    surface->FillRect(Rect{0, 0, size.width, size.height}, kWhite);
    std::string png;
    std::string error;
    ASSERT_TRUE(surface->WritePng(&png, &error)) << error;
    int width = 0;
    int height = 0;
    ASSERT_TRUE(PngImage::ReadHeader(png, &width, &height)) << size.width << "x" << size.height;
    EXPECT_EQ(width, size.width);
    EXPECT_EQ(height, size.height);
    const PngImage image(png);
    ASSERT_TRUE(image.valid());
    EXPECT_EQ(image.At(size.width - 1, size.height - 1), OpaqueOf(kWhite));
  }
}

TEST(CairoSurface, SizesCairoCannotAddressAreRefusedWithAReason) {
  for (const auto& [width, height] : {std::pair{0, 10}, std::pair{10, -1}, std::pair{40000, 10}}) {
    std::string error;
    EXPECT_EQ(CairoSurface::Create(width, height, &error), nullptr);
    EXPECT_NE(error.find(std::to_string(width) + "x" + std::to_string(height)), std::string::npos)
        << error;
  }
}

TEST(CairoSurface, ShapesCoverThePixelsTheChartMeans) {
  struct Probe {
    Point at;
    bool painted;
  };
  struct Case {
    const char* what;
    std::function<void(CairoSurface&)> draw;
    std::vector<Probe> probes;
  };
  const auto line = [](Pen pen, Point from, Point to) {
    return [=](CairoSurface& surface) {
      surface.SelectPen(pen);
      surface.MoveTo(from);
      surface.LineTo(to);
    };
  };
  const Case cases[] = {
      {"an area, right and bottom excluded",
       [](CairoSurface& s) {
         s.FillRect(Rect{10, 10, 20, 20}, kRed);
       },
       {{{10, 10}, true}, {{19, 19}, true}, {{20, 19}, false}, {{19, 20}, false}, {{9, 9}, false}}},
      {"a one-pixel line on the pixels' centres, not blurred over two rows",
       line(Pen{PenStyle::kSolid, 1, kRed}, {0, 5}, {40, 5}),
       {{{20, 5}, true}, {{20, 4}, false}, {{20, 6}, false}}},
      {"width 0 draws one pixel wide",
       line(Pen{PenStyle::kSolid, 0, kRed}, {0, 5}, {40, 5}),
       {{{20, 5}, true}, {{20, 4}, false}, {{20, 6}, false}}},
      {"a wide line covers its width",
       line(Pen{PenStyle::kSolid, 4, kRed}, {0, 20}, {40, 20}),
       {{{20, 18}, true}, {{20, 21}, true}, {{20, 16}, false}, {{20, 23}, false}}},
      {"dashes of 18 and gaps of 6",
       line(Pen{PenStyle::kDash, 1, kRed}, {0, 5}, {60, 5}),
       {{{2, 5}, true}, {{16, 5}, true}, {{20, 5}, false}, {{26, 5}, true}}},
      {"dots of 3",
       line(Pen{PenStyle::kDot, 1, kRed}, {0, 5}, {60, 5}),
       {{{1, 5}, true}, {{4, 5}, false}, {{7, 5}, true}}},
      {"dash dot",
       line(Pen{PenStyle::kDashDot, 1, kRed}, {0, 5}, {60, 5}),
       {{{4, 5}, true}, {{11, 5}, false}, {{16, 5}, true}, {{20, 5}, false}}},
      {"a null pen draws nothing",
       line(Pen{PenStyle::kNull, 3, kRed}, {0, 5}, {60, 5}),
       {{{20, 5}, false}, {{40, 5}, false}}},
      {"the whole ring inscribed in its box, nothing filled",
       [](CairoSurface& s) {
         s.SelectPen(Pen{PenStyle::kSolid, 1, kRed});
         s.FullArc(Rect{10, 10, 50, 50});
       },
       {{{30, 10}, true},
        {{30, 50}, true},
        {{10, 30}, true},
        {{50, 30}, true},
        {{30, 30}, false},
        {{30, 8}, false}}},
      {"a flat box's ring is the line across it",
       [](CairoSurface& s) {
         s.SelectPen(Pen{PenStyle::kSolid, 1, kRed});
         s.FullArc(Rect{10, 10, 10, 40});
       },
       {{{10, 25}, true}, {{12, 25}, false}}},
      {"a polyline through its points",
       [](CairoSurface& s) {
         s.SelectPen(Pen{PenStyle::kSolid, 2, kBlue});
         const Point points[] = {{10, 10}, {50, 10}, {50, 50}};
         s.Polyline(points);
       },
       {{{30, 10}, true}, {{50, 30}, true}, {{30, 30}, false}}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<CairoSurface> surface = MakeSurface(64, 64);
    ASSERT_NE(surface, nullptr);
    c.draw(*surface);
    const PngImage image = Written(*surface);
    ASSERT_TRUE(image.valid()) << c.what;
    for (const Probe& probe : c.probes) {
      EXPECT_EQ(Painted(image.At(probe.at.x, probe.at.y)), probe.painted)
          << c.what << " at (" << probe.at.x << ", " << probe.at.y << ")";
    }
  }
}

TEST(CairoSurface, AStraightLineOnPixelCentresHasThePensColourExactly) {
  std::unique_ptr<CairoSurface> surface = MakeSurface(64, 16);
  ASSERT_NE(surface, nullptr);
  surface->SelectPen(Pen{PenStyle::kSolid, 1, 0x3366CC});
  surface->MoveTo(Point{0, 8});
  surface->LineTo(Point{60, 8});
  EXPECT_EQ(Written(*surface).At(30, 8), OpaqueOf(0x3366CC));
}

// The columns of the box [left, right) x [top, bottom) that hold any ink.
std::vector<int> InkedColumns(const PngImage& image, int left, int right, int top, int bottom) {
  std::vector<int> columns;
  for (int x = left; x < right; ++x) {
    for (int y = top; y < bottom; ++y) {
      if (image.At(x, y).a > 0) {
        columns.push_back(x);
        break;
      }
    }
  }
  return columns;
}

TEST(CairoSurface, TextIsDrawnAsWideAsItMeasuresAndAsTheSvgPicturesLayItOut) {
  const struct {
    std::string_view text;
    int pixel_size;
  } cases[] = {{"W", 12},        {"10176.21", 12},  {"HWH", 20},
               {"Nét ü ÅÖ", 12}, {"MMMMMMMMMM", 9}, {"Processes", 12}};
  for (const auto& c : cases) {
    std::unique_ptr<CairoSurface> surface = MakeSurface(400, 40);
    ASSERT_NE(surface, nullptr);
    surface->SelectFont(chart::FontSpec{"", c.pixel_size});
    const chart::TextSize size = surface->MeasureText(c.text);
    // The SVG pictures measure with DejaVu Sans' advance table: the same layout either way.
    EXPECT_NEAR(size.width, chart::dejavu_sans::TextWidth(c.text, c.pixel_size), 1) << c.text;
    EXPECT_EQ(size.height, chart::dejavu_sans::LineHeight(c.pixel_size)) << c.text;

    surface->SetTextBackground(chart::TextBackground::kTransparent);
    surface->SetTextColour(kWhite);
    surface->DrawText(Point{10, 5}, c.text);
    const PngImage image = Written(*surface);
    const std::vector<int> inked = InkedColumns(image, 0, 400, 0, 40);
    ASSERT_FALSE(inked.empty()) << c.text;
    // The last glyph's right side bearing is at most a pixel or two; its ink never passes the
    // measured width by more than anti-aliasing's pixel.
    EXPECT_GE(inked.back(), 10 + size.width - 3) << c.text;
    EXPECT_LE(inked.back(), 10 + size.width) << c.text;
    EXPECT_GE(inked.front(), 10) << c.text;
  }
}

TEST(CairoSurface, AnOpaqueTextBackgroundFillsTheMeasuredBox) {
  std::unique_ptr<CairoSurface> surface = MakeSurface(200, 40);
  ASSERT_NE(surface, nullptr);
  surface->SetBackColour(kBlue);
  surface->SetTextColour(kWhite);
  const chart::TextSize size = surface->MeasureText("CPU 42");
  surface->DrawText(Point{10, 5}, "CPU 42");
  const PngImage image = Written(*surface);
  EXPECT_EQ(image.At(10, 5), OpaqueOf(kBlue));
  EXPECT_EQ(image.At(10 + size.width - 1, 5 + size.height - 1), OpaqueOf(kBlue));
  EXPECT_FALSE(Painted(image.At(10 + size.width, 5)));
  EXPECT_FALSE(Painted(image.At(10, 5 + size.height)));
}

TEST(CairoSurface, TextThatIsNotUtf8ShowsReplacementCharactersAndDrawingGoesOn) {
  const std::string_view replacement = "\xEF\xBF\xBD";
  const struct {
    const char* what;
    std::string text;
    std::string shown;  // what it measures as
  } cases[] = {
      {"a stray byte", "\xFF", std::string(replacement)},
      {"a cut sequence", "a\xC3", "a" + std::string(replacement)},
      {"a surrogate", "\xED\xA0\x80x",
       std::string(replacement) + std::string(replacement) + std::string(replacement) + "x"},
      {"a NUL inside", std::string("x\0y", 3), "x" + std::string(replacement) + "y"},
      {"a control character", "tab\there", "tab" + std::string(replacement) + "here"},
  };
  for (const auto& c : cases) {
    std::unique_ptr<CairoSurface> surface = MakeSurface(200, 40);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->MeasureText(c.text), surface->MeasureText(c.shown)) << c.what;
    surface->DrawText(Point{5, 5}, c.text);
    // A context that refused the text would draw nothing more and write no file.
    surface->FillRect(Rect{150, 20, 160, 30}, kRed);
    const PngImage image = Written(*surface);
    ASSERT_TRUE(image.valid()) << c.what;
    EXPECT_EQ(image.At(155, 25), OpaqueOf(kRed)) << c.what;
  }
}

}  // namespace
}  // namespace corvane::cairo
