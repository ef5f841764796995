// FrameDescription: what one drawing of the picture puts on a surface, kept compactly: every
// line, ring, fill, polyline and text with the pen, font and colours it is drawn with, sorted
// into the still layer (background, rings, axes, labels, status text) and the moving one
// (value texts and polylines). Two descriptions compare equal exactly when they draw the same
// pixels, so a window can tell whether a sample changed anything it shows, and which parts.
// FrameRecorder is the drawing surface that fills one; its text measurements come from a
// TextMeasure, so that they are those of the surface that will draw the frame.
//
// Plain values, owned by one thread; recording into a description reuses its storage, so that
// steady-state recording does not allocate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chart/drawing_surface.h"

namespace corvane::chart {

// Measures text as the drawing surface does.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual TextSize Measure(const FontSpec& font, std::string_view text) = 0;
};

struct FrameOp {
  enum class Kind : std::uint8_t { kLine, kPolyline, kArc, kFill, kText };

  Kind kind = Kind::kLine;
  DrawingLayer layer = DrawingLayer::kStill;
  TextBackground text_background = TextBackground::kOpaque;
  Pen pen;
  std::uint32_t font = 0;  // index into the description's fonts
  Colour text_colour = kNoColour;
  Colour back_colour = kNoColour;
  Colour fill = kNoColour;  // kFill
  // kLine: from (left, top) to (right, bottom); kArc: the box; kFill: the area; kText: the
  // text's box (its width and the font's height).
  Rect shape;
  std::uint32_t first = 0;  // kPolyline: the first point; kText: the first byte of the text
  std::uint32_t count = 0;  // points or bytes
};

class FrameDescription {
 public:
  void Clear();

  const std::vector<FrameOp>& ops() const { return ops_; }
  std::span<const Point> PointsOf(const FrameOp& op) const;
  std::string_view TextOf(const FrameOp& op) const;
  const FontSpec& FontOf(const FrameOp& op) const { return fonts_[op.font]; }

  // Whether the two ops draw the same pixels (each read in its own description).
  static bool SameOp(const FrameDescription& a, const FrameOp& op_a, const FrameDescription& b,
                     const FrameOp& op_b);
  // Whether the still layers are the same, op for op.
  static bool SameStill(const FrameDescription& a, const FrameDescription& b);
  // Whether the whole frames are the same.
  bool operator==(const FrameDescription& other) const;

  // The area an op may paint, the pen's width and the glyphs' overhang included.
  Rect Bounds(const FrameOp& op) const;

  // The areas where the moving layers of `before` and `after` differ, their still layers being
  // the same: for a polyline, the segments around each changed point (the whole polyline when
  // its pen or its point count changed); for a text, its old and new boxes. Appends to
  // `changed`; nothing when the moving layers are the same.
  static void ChangedAreas(const FrameDescription& before, const FrameDescription& after,
                           std::vector<Rect>* changed);

 private:
  friend class FrameRecorder;

  std::uint32_t FontIndex(const FontSpec& font);

  std::vector<FrameOp> ops_;
  std::vector<Point> points_;
  std::string text_;
  std::vector<FontSpec> fonts_;  // the first font_count_ are in use; the rest kept for reuse
  std::uint32_t font_count_ = 0;
};

// Draws into a FrameDescription instead of pixels. Starts as a fresh device context does (see
// RecordingSurface) and clears the description it is given.
class FrameRecorder final : public DrawingSurface {
 public:
  FrameRecorder(FrameDescription& frame, TextMeasure& measure);

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
  void SetLayer(DrawingLayer layer) override { layer_ = layer; }

 private:
  FrameOp& Add(FrameOp::Kind kind);

  FrameDescription& frame_;
  TextMeasure& measure_;
  Pen pen_;
  FontSpec font_;
  std::uint32_t font_index_ = 0;
  Colour text_colour_ = 0x000000;
  Colour back_colour_ = 0xFFFFFF;
  TextBackground text_background_ = TextBackground::kOpaque;
  Point position_;
  DrawingLayer layer_ = DrawingLayer::kStill;
};

// Draws the ops of one layer onto a surface, each with its own pen, font and colours, in the
// order they were recorded. Ops whose bounds miss every one of `only` are skipped, unless
// `only` is empty.
void ReplayLayer(const FrameDescription& frame, DrawingLayer layer, DrawingSurface& surface,
                 std::span<const Rect> only = {});

}  // namespace corvane::chart
