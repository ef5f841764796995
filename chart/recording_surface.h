// RecordingSurface: a drawing surface that paints nothing and keeps every call, together with
// the pen, font and colours in effect, so that tests can check a drawing exactly. Text measures
// `advance` pixels per character and `line_height` pixels high, whatever the font.
// Owned and used by one thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "chart/drawing_surface.h"

namespace corvane::chart {

struct RecordedCall {
  enum class Kind {
    kSelectPen,
    kSelectFont,
    kTextColour,
    kBackColour,
    kTextBackground,
    kMoveTo,
    kLineTo,
    kPolyline,
    kFullArc,
    kFillRect,
    kDrawText,
  };

  Kind kind = Kind::kMoveTo;
  Point from;                 // kLineTo: the pen position the line starts at
  Point to;                   // kMoveTo, kLineTo: the new pen position
  std::vector<Point> points;  // kPolyline
  Rect rect;                  // kFullArc: the box; kFillRect: the area; kDrawText: the text's box
  std::string text;           // kDrawText
  Colour colour = kNoColour;  // kFillRect: the fill

  // The state once the call was made: for a setter, the new value.
  Pen pen;
  FontSpec font;
  Colour text_colour = kNoColour;
  Colour back_colour = kNoColour;
  TextBackground text_background = TextBackground::kOpaque;
};

class RecordingSurface final : public DrawingSurface {
 public:
  // Starts as a fresh device context does: a black solid pen of width 1, the default font,
  // black text on white, opaque text background, pen position (0, 0).
  explicit RecordingSurface(int advance = 6, int line_height = 12);

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

  const std::vector<RecordedCall>& calls() const { return calls_; }
  // The calls of one kind, in order.
  std::vector<RecordedCall> CallsOf(RecordedCall::Kind kind) const;
  // The texts drawn, in order.
  std::vector<std::string> Texts() const;
  std::size_t measure_count() const { return measure_count_; }
  void Clear();

  // The current state.
  const Pen& pen() const { return pen_; }
  const FontSpec& font() const { return font_; }
  Colour text_colour() const { return text_colour_; }
  Colour back_colour() const { return back_colour_; }
  TextBackground text_background() const { return text_background_; }
  Point position() const { return position_; }

 private:
  RecordedCall& Record(RecordedCall::Kind kind);
  TextSize Extent(std::string_view text) const;

  int advance_;      // pixels per character
  int line_height_;  // pixels
  std::vector<RecordedCall> calls_;
  std::size_t measure_count_ = 0;

  Pen pen_;
  FontSpec font_;
  Colour text_colour_ = 0x000000;
  Colour back_colour_ = 0xFFFFFF;
  TextBackground text_background_ = TextBackground::kOpaque;
  Point position_;
};

}  // namespace corvane::chart
