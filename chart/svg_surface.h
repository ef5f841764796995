// SvgSurface: draws into an SVG 1.1 document held in memory, with the standard library only.
// Text is measured with the advance widths of DejaVu Sans, so a drawing is the same on every
// machine and close to what a browser shows with that font; each text element also carries
// its measured length, so that a viewer with another sans-serif font keeps the layout.
// Owned and used by one thread.
#pragma once

#include <string>
#include <string_view>

#include "chart/drawing_surface.h"

namespace corvane::chart {

class SvgSurface final : public DrawingSurface {
 public:
  // A document of width x height pixels (negative sizes count as 0). It starts as a fresh
  // device context does: a black solid pen of width 1, the sans-serif font at 12 pixels,
  // black text on white, opaque text background, pen position (0, 0).
  SvgSurface(int width, int height);

  Pen SelectPen(const Pen& pen) override;
  FontSpec SelectFont(const FontSpec& font) override;
  Colour SetTextColour(Colour colour) override;
  Colour SetBackColour(Colour colour) override;
  TextBackground SetTextBackground(TextBackground mode) override;
  void MoveTo(Point to) override;
  void LineTo(Point to) override;
  void Polyline(std::span<const Point> points) override;
  void FullArc(const Rect& box) override;
  void FillRect(const Rect& rect, Colour colour) override;
  TextSize MeasureText(std::string_view text) override;
  void DrawText(Point top_left, std::string_view text) override;

  // The complete document: the XML declaration, the svg element and everything drawn so far.
  std::string Document() const;
  // The elements drawn so far, without the document around them.
  const std::string& Body() const { return body_; }
  // Forgets what was drawn; the state (pen, font, colours, position) stays.
  void ClearDrawing();

  int width() const { return width_; }    // pixels
  int height() const { return height_; }  // pixels

 private:
  // Appends the stroke attributes of the current pen; false for a pen that draws nothing.
  bool AppendStroke();
  // The pixel size the current font is drawn and measured at.
  int PixelSize() const;

  int width_;         // pixels
  int height_;        // pixels
  std::string body_;  // the elements drawn so far

  Pen pen_;
  FontSpec font_;
  std::string font_family_;  // the font-family attribute value for font_, escaped
  Colour text_colour_ = 0x000000;
  Colour back_colour_ = 0xFFFFFF;
  TextBackground text_background_ = TextBackground::kOpaque;
  Point position_;
};

}  // namespace corvane::chart
