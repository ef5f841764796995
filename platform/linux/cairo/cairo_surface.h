// CairoSurface: draws into a 32-bit ARGB image in memory with cairo, anti-aliased, and writes
// it as PNG. Text is DejaVu Sans (or the face asked for, through fontconfig) rendered by
// cairo's FreeType backend; a text is measured and drawn as one run, so that a measured width
// is the width drawn (to the pixel: the measure is the run's advance, rounded). Owns its cairo
// image and context; used by one thread, the one that made it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "chart/drawing_surface.h"
#include "platform/linux/cairo/cairo_library.h"

namespace corvane::cairo {

class CairoSurface final : public chart::DrawingSurface {
 public:
  // A width x height picture (each side from 1 to 32767 pixels), every pixel transparent. It
  // starts as a fresh device context does: a black solid pen of width 1, the sans-serif font
  // at 12 pixels, black text on white, opaque text background, pen position (0, 0). Null with
  // *error when cairo cannot be loaded or cannot make the image.
  static std::unique_ptr<CairoSurface> Create(int width, int height, std::string* error);
  ~CairoSurface() override;
  CairoSurface(const CairoSurface&) = delete;
  CairoSurface& operator=(const CairoSurface&) = delete;

  chart::Pen SelectPen(const chart::Pen& pen) override;
  chart::FontSpec SelectFont(const chart::FontSpec& font) override;
  chart::Colour SetTextColour(chart::Colour colour) override;
  chart::Colour SetBackColour(chart::Colour colour) override;
  chart::TextBackground SetTextBackground(chart::TextBackground mode) override;
  void MoveTo(chart::Point to) override;
  void LineTo(chart::Point to) override;
  void Polyline(std::span<const chart::Point> points) override;
  void FullArc(const chart::Rect& box) override;
  void FillRect(const chart::Rect& rect, chart::Colour colour) override;
  chart::TextSize MeasureText(std::string_view text) override;
  void DrawText(chart::Point top_left, std::string_view text) override;

  // Appends the picture drawn so far to *png as a PNG file; false with *error ("cannot draw
  // the picture: <cairo's reason>") when drawing or writing failed.
  bool WritePng(std::string* png, std::string* error);

  int width() const { return width_; }    // pixels
  int height() const { return height_; }  // pixels

 private:
  CairoSurface(const CairoLibrary* cairo, cairo_surface_t* image, cairo_t* context, int width,
               int height);
  void UseColour(chart::Colour colour);
  // Sets up cairo's stroke for the current pen; false for a pen that draws nothing.
  bool UsePen();
  // Makes the current font cairo's and reads its metrics.
  void UseFont();
  // The text as cairo may be given it: valid UTF-8 without control characters, whatever
  // could not be shown replaced by U+FFFD.
  static std::string Printable(std::string_view text);
  int Advance(const std::string& printable);

  const CairoLibrary* cairo_;
  cairo_surface_t* image_;
  cairo_t* context_;
  int width_;   // pixels
  int height_;  // pixels

  chart::Pen pen_;
  chart::FontSpec font_;
  int ascent_ = 0;       // pixels, of font_
  int line_height_ = 0;  // pixels, of font_
  chart::Colour text_colour_ = 0x000000;
  chart::Colour back_colour_ = 0xFFFFFF;
  chart::TextBackground text_background_ = chart::TextBackground::kOpaque;
  chart::Point position_;
};

}  // namespace corvane::cairo
