#include "chart/frame_description.h"

#include <algorithm>
#include <utility>

namespace corvane::chart {
namespace {

// Room around a stroke for its width and its round ends, in pixels.
// A square cap reaches half the width past a line's end and beside it, so up to 0.71 of
// the width from the end in x or y.
int StrokeMargin(const Pen& pen) {
  const int width = std::max(pen.width, 1);
  return width - width / 4 + 2;
}

Rect Grown(const Rect& rect, int by) {
  return Rect{rect.left - by, rect.top - by, rect.right + by, rect.bottom + by};
}

Rect Around(Point a, Point b, int margin) {
  return Rect{std::min(a.x, b.x) - margin, std::min(a.y, b.y) - margin,
              std::max(a.x, b.x) + margin + 1, std::max(a.y, b.y) + margin + 1};
}

bool Intersects(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool SameState(const FrameDescription& a, const FrameOp& op_a, const FrameDescription& b,
               const FrameOp& op_b) {
  if (op_a.kind != op_b.kind || op_a.layer != op_b.layer) return false;
  switch (op_a.kind) {
    case FrameOp::Kind::kLine:
    case FrameOp::Kind::kPolyline:
    case FrameOp::Kind::kArc:
      return op_a.pen == op_b.pen;
    case FrameOp::Kind::kFill:
      return op_a.fill == op_b.fill;
    case FrameOp::Kind::kText:
      return op_a.text_colour == op_b.text_colour && op_a.text_background == op_b.text_background &&
             (op_a.text_background == TextBackground::kTransparent ||
              op_a.back_colour == op_b.back_colour) &&
             a.FontOf(op_a) == b.FontOf(op_b);
  }
  return false;
}

template <typename Function>
void ForEachMoving(const FrameDescription& frame, Function function) {
  for (const FrameOp& op : frame.ops()) {
    if (op.layer == DrawingLayer::kMoving) function(op);
  }
}

}  // namespace

// ---- FrameDescription. ----

void FrameDescription::Clear() {
  ops_.clear();
  points_.clear();
  text_.clear();
  font_count_ = 0;
}

std::span<const Point> FrameDescription::PointsOf(const FrameOp& op) const {
  if (op.kind != FrameOp::Kind::kPolyline) return {};
  return std::span<const Point>(points_).subspan(op.first, op.count);
}

std::string_view FrameDescription::TextOf(const FrameOp& op) const {
  if (op.kind != FrameOp::Kind::kText) return {};
  return std::string_view(text_).substr(op.first, op.count);
}

std::uint32_t FrameDescription::FontIndex(const FontSpec& font) {
  for (std::uint32_t i = 0; i < font_count_; ++i) {
    if (fonts_[i] == font) return i;
  }
  if (font_count_ == fonts_.size()) {
    fonts_.push_back(font);
  } else {
    fonts_[font_count_] = font;  // reuses the string's storage
  }
  return font_count_++;
}

bool FrameDescription::SameOp(const FrameDescription& a, const FrameOp& op_a,
                              const FrameDescription& b, const FrameOp& op_b) {
  if (!SameState(a, op_a, b, op_b) || !(op_a.shape == op_b.shape)) return false;
  switch (op_a.kind) {
    case FrameOp::Kind::kPolyline: {
      const std::span<const Point> pa = a.PointsOf(op_a);
      const std::span<const Point> pb = b.PointsOf(op_b);
      return std::equal(pa.begin(), pa.end(), pb.begin(), pb.end());
    }
    case FrameOp::Kind::kText:
      return a.TextOf(op_a) == b.TextOf(op_b);
    default:
      return true;
  }
}

bool FrameDescription::SameStill(const FrameDescription& a, const FrameDescription& b) {
  auto next = [](const FrameDescription& frame, std::size_t from) {
    while (from < frame.ops_.size() && frame.ops_[from].layer != DrawingLayer::kStill) ++from;
    return from;
  };
  std::size_t i = next(a, 0);
  std::size_t j = next(b, 0);
  while (i < a.ops_.size() && j < b.ops_.size()) {
    if (!SameOp(a, a.ops_[i], b, b.ops_[j])) return false;
    i = next(a, i + 1);
    j = next(b, j + 1);
  }
  return i == a.ops_.size() && j == b.ops_.size();
}

bool FrameDescription::operator==(const FrameDescription& other) const {
  if (ops_.size() != other.ops_.size()) return false;
  for (std::size_t i = 0; i < ops_.size(); ++i) {
    if (!SameOp(*this, ops_[i], other, other.ops_[i])) return false;
  }
  return true;
}

Rect FrameDescription::Bounds(const FrameOp& op) const {
  switch (op.kind) {
    case FrameOp::Kind::kLine:
      return Around(Point{op.shape.left, op.shape.top}, Point{op.shape.right, op.shape.bottom},
                    StrokeMargin(op.pen));
    case FrameOp::Kind::kPolyline: {
      const std::span<const Point> points = PointsOf(op);
      if (points.empty()) return Rect{};
      Rect box{points[0].x, points[0].y, points[0].x, points[0].y};
      for (const Point& p : points) {
        box.left = std::min(box.left, p.x);
        box.top = std::min(box.top, p.y);
        box.right = std::max(box.right, p.x);
        box.bottom = std::max(box.bottom, p.y);
      }
      return Around(Point{box.left, box.top}, Point{box.right, box.bottom}, StrokeMargin(op.pen));
    }
    case FrameOp::Kind::kArc:
      return Grown(op.shape, StrokeMargin(op.pen));
    case FrameOp::Kind::kFill:
      return op.shape;
    case FrameOp::Kind::kText:
      // Glyphs may reach a little beyond their advances and the line's height; antialiasing
      // a pixel more.
      return Grown(op.shape, std::max(2, (op.shape.bottom - op.shape.top) / 4));
  }
  return Rect{};
}

void FrameDescription::ChangedAreas(const FrameDescription& before, const FrameDescription& after,
                                    std::vector<Rect>* changed) {
  std::vector<const FrameOp*> old_ops;
  std::vector<const FrameOp*> new_ops;
  ForEachMoving(before, [&](const FrameOp& op) { old_ops.push_back(&op); });
  ForEachMoving(after, [&](const FrameOp& op) { new_ops.push_back(&op); });
  if (old_ops.size() != new_ops.size()) {
    for (const FrameOp* op : old_ops) changed->push_back(before.Bounds(*op));
    for (const FrameOp* op : new_ops) changed->push_back(after.Bounds(*op));
    return;
  }
  for (std::size_t i = 0; i < old_ops.size(); ++i) {
    const FrameOp& was = *old_ops[i];
    const FrameOp& now = *new_ops[i];
    if (SameOp(before, was, after, now)) continue;
    const bool segments = was.kind == FrameOp::Kind::kPolyline &&
                          SameState(before, was, after, now) && was.count == now.count &&
                          was.pen.style == PenStyle::kSolid;
    if (!segments) {
      // Also a dashed polyline: its dashes start afresh where the first point moved.
      changed->push_back(before.Bounds(was));
      changed->push_back(after.Bounds(now));
      continue;
    }
    const std::span<const Point> old_points = before.PointsOf(was);
    const std::span<const Point> new_points = after.PointsOf(now);
    const int margin = StrokeMargin(now.pen);
    const std::size_t n = old_points.size();
    for (std::size_t k = 0; k < n; ++k) {
      if (old_points[k] == new_points[k]) continue;
      // The segments that meet at point k, before and after.
      if (k > 0) {
        changed->push_back(Around(old_points[k - 1], old_points[k], margin));
        changed->push_back(Around(new_points[k - 1], new_points[k], margin));
      }
      if (k + 1 < n) {
        changed->push_back(Around(old_points[k], old_points[k + 1], margin));
        changed->push_back(Around(new_points[k], new_points[k + 1], margin));
      }
    }
  }
}

// ---- FrameRecorder. ----

FrameRecorder::FrameRecorder(FrameDescription& frame, TextMeasure& measure)
    : frame_(frame), measure_(measure) {
  frame_.Clear();
  font_index_ = frame_.FontIndex(font_);
}

FrameOp& FrameRecorder::Add(FrameOp::Kind kind) {
  FrameOp& op = frame_.ops_.emplace_back();
  op.kind = kind;
  op.layer = layer_;
  op.text_background = text_background_;
  op.pen = pen_;
  op.font = font_index_;
  op.text_colour = text_colour_;
  op.back_colour = back_colour_;
  return op;
}

Pen FrameRecorder::SelectPen(const Pen& pen) { return std::exchange(pen_, pen); }

FontSpec FrameRecorder::SelectFont(const FontSpec& font) {
  if (!(font == font_)) font_index_ = frame_.FontIndex(font);
  return std::exchange(font_, font);
}

Colour FrameRecorder::SetTextColour(Colour colour) { return ExchangeColour(&text_colour_, colour); }

Colour FrameRecorder::SetBackColour(Colour colour) { return ExchangeColour(&back_colour_, colour); }

TextBackground FrameRecorder::SetTextBackground(TextBackground mode) {
  return std::exchange(text_background_, mode);
}

void FrameRecorder::MoveTo(Point to) { position_ = to; }

void FrameRecorder::LineTo(Point to) {
  const Point from = std::exchange(position_, to);
  Add(FrameOp::Kind::kLine).shape = Rect{from.x, from.y, to.x, to.y};
}

void FrameRecorder::Polyline(std::span<const Point> points) {
  if (points.size() < 2) return;
  FrameOp& op = Add(FrameOp::Kind::kPolyline);
  op.first = static_cast<std::uint32_t>(frame_.points_.size());
  op.count = static_cast<std::uint32_t>(points.size());
  frame_.points_.insert(frame_.points_.end(), points.begin(), points.end());
}

void FrameRecorder::FullArc(const Rect& box) { Add(FrameOp::Kind::kArc).shape = box; }

void FrameRecorder::FillRect(const Rect& rect, Colour colour) {
  if (colour == kNoColour || rect.right <= rect.left || rect.bottom <= rect.top) return;
  FrameOp& op = Add(FrameOp::Kind::kFill);
  op.shape = rect;
  op.fill = colour;
}

TextSize FrameRecorder::MeasureText(std::string_view text) { return measure_.Measure(font_, text); }

void FrameRecorder::DrawText(Point top_left, std::string_view text) {
  if (text.empty()) return;
  const TextSize size = measure_.Measure(font_, text);
  FrameOp& op = Add(FrameOp::Kind::kText);
  op.shape = Rect{top_left.x, top_left.y, top_left.x + size.width, top_left.y + size.height};
  op.first = static_cast<std::uint32_t>(frame_.text_.size());
  op.count = static_cast<std::uint32_t>(text.size());
  frame_.text_.append(text);
}

// ---- Replay. ----

void ReplayLayer(const FrameDescription& frame, DrawingLayer layer, DrawingSurface& surface,
                 std::span<const Rect> only) {
  for (const FrameOp& op : frame.ops()) {
    if (op.layer != layer) continue;
    if (!only.empty()) {
      const Rect bounds = frame.Bounds(op);
      if (std::none_of(only.begin(), only.end(),
                       [&](const Rect& area) { return Intersects(bounds, area); })) {
        continue;
      }
    }
    switch (op.kind) {
      case FrameOp::Kind::kLine:
        surface.SelectPen(op.pen);
        surface.MoveTo(Point{op.shape.left, op.shape.top});
        surface.LineTo(Point{op.shape.right, op.shape.bottom});
        break;
      case FrameOp::Kind::kPolyline:
        surface.SelectPen(op.pen);
        surface.Polyline(frame.PointsOf(op));
        break;
      case FrameOp::Kind::kArc:
        surface.SelectPen(op.pen);
        surface.FullArc(op.shape);
        break;
      case FrameOp::Kind::kFill:
        surface.FillRect(op.shape, op.fill);
        break;
      case FrameOp::Kind::kText:
        surface.SelectFont(frame.FontOf(op));
        surface.SetTextColour(op.text_colour);
        surface.SetBackColour(op.back_colour);
        surface.SetTextBackground(op.text_background);
        surface.DrawText(Point{op.shape.left, op.shape.top}, frame.TextOf(op));
        break;
    }
  }
}

}  // namespace corvane::chart
