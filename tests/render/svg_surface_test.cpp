// The SVG surface: document frame, strokes on pixel centres, colours, text escaping,
// measurement, and the state its setters hand back.
#include "chart/svg_surface.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace corvane::chart {
namespace {

// The drawn elements, without the document frame.
std::string Body(const SvgSurface& surface) {
  const std::string document = surface.Document();
  const std::size_t start = document.find(">\n", document.find("<svg")) + 2;
  const std::size_t end = document.rfind("</svg>");
  return document.substr(start, end - start);
}

TEST(SvgSurface, DocumentIsOneSvgElementOfTheGivenSize) {
  SvgSurface surface(640, 480);
  const std::string document = surface.Document();
  EXPECT_EQ(document.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0U);
  EXPECT_NE(document.find("<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" "
                          "width=\"640\" height=\"480\" viewBox=\"0 0 640 480\""),
            std::string::npos);
  EXPECT_NE(document.find("xml:space=\"preserve\""), std::string::npos);
  EXPECT_TRUE(document.ends_with("</svg>\n"));
  EXPECT_EQ(Body(surface), "");
}

TEST(SvgSurface, StrokesFollowThePen) {
  struct Case {
    const char* what;
    Pen pen;
    std::string line;  // the element MoveTo (10, 20), LineTo (30, 40) writes
  };
  const Case cases[] = {
      {"odd width on pixel centres", Pen{PenStyle::kSolid, 1, 0x0000FF},
       "<line x1=\"10.5\" y1=\"20.5\" x2=\"30.5\" y2=\"40.5\" fill=\"none\" stroke=\"#ff0000\" "
       "stroke-width=\"1\"/>\n"},
      {"width 0 is one pixel", Pen{PenStyle::kSolid, 0, 0x00FF00},
       "<line x1=\"10.5\" y1=\"20.5\" x2=\"30.5\" y2=\"40.5\" fill=\"none\" stroke=\"#00ff00\" "
       "stroke-width=\"1\"/>\n"},
      {"even width on pixel edges", Pen{PenStyle::kSolid, 2, 0xFF0000},
       "<line x1=\"10\" y1=\"20\" x2=\"30\" y2=\"40\" fill=\"none\" stroke=\"#0000ff\" "
       "stroke-width=\"2\"/>\n"},
      {"dots", Pen{PenStyle::kDot, 1, 0x808080},
       "<line x1=\"10.5\" y1=\"20.5\" x2=\"30.5\" y2=\"40.5\" fill=\"none\" stroke=\"#808080\" "
       "stroke-width=\"1\" stroke-dasharray=\"3 3\"/>\n"},
      {"null pen draws nothing", Pen{PenStyle::kNull, 1, 0}, ""},
  };
  for (const Case& c : cases) {
    SvgSurface surface(100, 100);
    surface.SelectPen(c.pen);
    surface.MoveTo(Point{10, 20});
    surface.LineTo(Point{30, 40});
    EXPECT_EQ(Body(surface), c.line) << c.what;
  }
}

TEST(SvgSurface, LinesContinueFromThePenPosition) {
  SvgSurface surface(100, 100);
  surface.SelectPen(Pen{PenStyle::kNull, 1, 0});
  surface.MoveTo(Point{1, 1});
  surface.LineTo(Point{5, 5});  // moves the pen though it draws nothing
  surface.SelectPen(Pen{PenStyle::kSolid, 2, 0});
  surface.LineTo(Point{9, -3});
  EXPECT_EQ(Body(surface),
            "<line x1=\"5\" y1=\"5\" x2=\"9\" y2=\"-3\" fill=\"none\" stroke=\"#000000\" "
            "stroke-width=\"2\"/>\n");
}

TEST(SvgSurface, ArcsPolylinesAndFills) {
  SvgSurface surface(100, 100);
  surface.SelectPen(Pen{PenStyle::kSolid, 1, 0x00FFFF});
  surface.FullArc(Rect{40, 40, 60, 60});
  const Point one[] = {{1, 1}};
  surface.Polyline(one);  // a single point draws nothing
  const Point three[] = {{1, 2}, {-3, 4}, {1, 2}};
  surface.Polyline(three);
  surface.FillRect(Rect{0, 0, 100, 50}, 0x112233);
  surface.FillRect(Rect{0, 0, 0, 50}, 0x112233);    // empty
  surface.FillRect(Rect{0, 0, 10, 10}, kNoColour);  // no colour
  EXPECT_EQ(Body(surface),
            "<ellipse cx=\"50.5\" cy=\"50.5\" rx=\"10\" ry=\"10\" fill=\"none\" "
            "stroke=\"#ffff00\" stroke-width=\"1\"/>\n"
            "<polyline points=\"1.5,2.5 -2.5,4.5 1.5,2.5\" fill=\"none\" stroke=\"#ffff00\" "
            "stroke-width=\"1\" stroke-linejoin=\"round\"/>\n"
            "<rect x=\"0\" y=\"0\" width=\"100\" height=\"50\" fill=\"#332211\"/>\n");
}

TEST(SvgSurface, TextIsEscapedAndKeptValid) {
  SvgSurface surface(100, 100);
  surface.SetTextBackground(TextBackground::kTransparent);
  surface.DrawText(Point{0, 0}, "a<b & \"c\"\x01\xFF\xC3\xA9");
  const std::string body = Body(surface);
  EXPECT_NE(body.find(">a&lt;b &amp; &quot;c&quot;\xEF\xBF\xBD\xEF\xBF\xBD\xC3\xA9</text>"),
            std::string::npos)
      << body;
}

TEST(SvgSurface, TextBoxStartsAtItsTopLeftWithTheMeasuredLength) {
  SvgSurface surface(100, 100);
  surface.SetTextColour(0x00FFFF);
  surface.SetBackColour(0x000000);
  const TextSize size = surface.MeasureText(" 45 ");
  EXPECT_EQ(size, (TextSize{23, 14}));  // 651 + 1303 + 1303 + 651 units at 12 px: 22.9
  surface.DrawText(Point{10, 20}, " 45 ");
  // Opaque: the box first, then the text on the baseline 11 px below the top. The spaces
  // around the digits are an offset (651 units: 4 px), never part of the element: a page
  // that embeds the picture drops them, and textLength would spread "45" over 23 px.
  EXPECT_EQ(Body(surface),
            "<rect x=\"10\" y=\"20\" width=\"23\" height=\"14\" fill=\"#000000\"/>\n"
            "<text x=\"14\" y=\"31\" font-family=\"'DejaVu Sans', sans-serif\" font-size=\"12\" "
            "fill=\"#ffff00\" textLength=\"15\">45</text>\n");

  surface.ClearDrawing();
  surface.SetTextBackground(TextBackground::kTransparent);
  surface.DrawText(Point{0, 0}, "x");
  surface.DrawText(Point{0, 0}, "");
  surface.DrawText(Point{0, 0}, "   ");
  EXPECT_EQ(Body(surface).find("<rect"), std::string::npos);
  EXPECT_EQ(Body(surface).find("<text", 1), std::string::npos);  // nothing for "" or spaces
}

TEST(SvgSurface, FontsMapToTheSansSerifFamily) {
  struct Case {
    FontSpec font;
    std::string family;
    int line_height;  // pixels
  };
  const Case cases[] = {
      {FontSpec{"MS Sans Serif", 12}, "'DejaVu Sans', sans-serif", 14},
      {FontSpec{"", 0}, "'DejaVu Sans', sans-serif", 14},  // the default size
      {FontSpec{"Bob's <Font>", 24}, "'Bobs &lt;Font&gt;', 'DejaVu Sans', sans-serif", 28},
  };
  for (const Case& c : cases) {
    SvgSurface surface(100, 100);
    surface.SelectFont(c.font);
    EXPECT_EQ(surface.MeasureText("").height, c.line_height) << c.font.face;
    surface.DrawText(Point{0, 0}, "x");
    EXPECT_NE(Body(surface).find("font-family=\"" + c.family + "\""), std::string::npos)
        << Body(surface);
  }
}

TEST(SvgSurface, SettersHandBackWhatWasInUse) {
  SvgSurface surface(10, 10);
  const Pen pen{PenStyle::kDash, 3, 0x010203};
  EXPECT_EQ(surface.SelectPen(pen), (Pen{PenStyle::kSolid, 1, 0x000000}));
  EXPECT_EQ(surface.SelectPen(Pen{}), pen);
  EXPECT_EQ(surface.SelectFont(FontSpec{"MS Sans Serif", 12}), (FontSpec{"", 12}));
  EXPECT_EQ(surface.SetTextColour(0x0000FF), 0x000000);
  EXPECT_EQ(surface.SetTextColour(kNoColour), 0x0000FF);  // not a colour: kept
  EXPECT_EQ(surface.SetTextColour(0x00FF00), 0x0000FF);
  EXPECT_EQ(surface.SetBackColour(0x0000FF), 0xFFFFFF);
  EXPECT_EQ(surface.SetTextBackground(TextBackground::kTransparent), TextBackground::kOpaque);
}

}  // namespace
}  // namespace corvane::chart
