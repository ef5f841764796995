// DrawingSurface: the few drawing operations the wind rose and the engine's status text need,
// in the surface's integer pixel units. Implementations: RecordingSurface (tests), SvgSurface
// (snapshots, standard library only) and the QPainter surface (platform/qt).
//
// A surface keeps a current pen, font, text colour, background colour, text background mode
// and pen position. Every setter returns what was in use before, so that a caller can put the
// surface back as it found it. A surface belongs to the thread that draws into it; the
// implementations take no locks.
//
// Text is UTF-8 and drawn on one line; a surface shows bytes that are not valid UTF-8 as
// U+FFFD. Measuring and drawing use the same font, so a measured width is the width drawn.
#pragma once

#include <span>
#include <string_view>

#include "chart/drawing_style.h"
#include "chart/geometry.h"

namespace corvane::chart {

// The extent of one line of text in the current font.
struct TextSize {
  int width = 0;   // pixels, the sum of the characters' advances
  int height = 0;  // pixels, the font's line height (ascent + descent), also for empty text

  bool operator==(const TextSize&) const = default;
};

// Whether drawing text first fills the text's box with the background colour.
enum class TextBackground {
  kOpaque,       // the box behind the text takes the background colour
  kTransparent,  // only the characters are drawn
};

// What the calls that follow draw: the parts of the picture that stay from sample to sample
// (background, rings, axes, labels, status text) or those that move with the values (value
// texts and polylines). A surface that keeps its picture in layers sorts by it; the others
// ignore it.
enum class DrawingLayer {
  kStill,
  kMoving,
};

class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;

  // ---- State; each setter returns the previous value. ----

  virtual Pen SelectPen(const Pen& pen) = 0;
  // A face the surface does not know falls back to its sans-serif family; a height of 0 picks
  // the surface's default size.
  virtual FontSpec SelectFont(const FontSpec& font) = 0;
  // kNoColour is not a colour: a surface given it keeps its colour and returns it.
  virtual Colour SetTextColour(Colour colour) = 0;
  virtual Colour SetBackColour(Colour colour) = 0;
  virtual TextBackground SetTextBackground(TextBackground mode) = 0;

  // ---- Lines, with the current pen. ----

  // Sets the pen position without drawing.
  virtual void MoveTo(Point to) = 0;
  // A line from the pen position to `to` (the end pixel is not drawn); `to` becomes the pen
  // position.
  virtual void LineTo(Point to) = 0;
  // Connected lines through the points; fewer than two points draw nothing. The pen position
  // is left alone.
  virtual void Polyline(std::span<const Point> points) = 0;
  // The whole outline of the ellipse inscribed in the box; nothing is filled. The chart's
  // rings pass a square box.
  virtual void FullArc(const Rect& box) = 0;

  // ---- Areas. ----

  // Fills the rectangle (right and bottom excluded) with the colour; kNoColour fills nothing.
  virtual void FillRect(const Rect& rect, Colour colour) = 0;

  // ---- Text, in the current font. ----

  virtual TextSize MeasureText(std::string_view text) = 0;
  // Draws one line of text whose box has its top-left corner at `top_left`, in the text
  // colour; in kOpaque mode the box is first filled with the background colour.
  virtual void DrawText(Point top_left, std::string_view text) = 0;

  // ---- Layers. ----

  // A hint about the calls that follow (kStill until told otherwise); drawing is the same.
  virtual void SetLayer(DrawingLayer /*layer*/) {}
};

// The colour rule every surface follows in SetTextColour and SetBackColour: stores `colour` in
// *current unless it is kNoColour, and returns the colour that was there before.
inline Colour ExchangeColour(Colour* current, Colour colour) {
  const Colour previous = *current;
  if (colour != kNoColour) *current = colour;
  return previous;
}

}  // namespace corvane::chart
