#include "chart/recording_surface.h"

#include <utility>

#include "chart/utf8.h"

namespace corvane::chart {

RecordingSurface::RecordingSurface(int advance, int line_height)
    : advance_(advance), line_height_(line_height) {}

RecordedCall& RecordingSurface::Record(RecordedCall::Kind kind) {
  RecordedCall& call = calls_.emplace_back();
  call.kind = kind;
  call.pen = pen_;
  call.font = font_;
  call.text_colour = text_colour_;
  call.back_colour = back_colour_;
  call.text_background = text_background_;
  return call;
}

Pen RecordingSurface::SelectPen(const Pen& pen) {
  Pen previous = std::exchange(pen_, pen);
  Record(RecordedCall::Kind::kSelectPen);
  return previous;
}

FontSpec RecordingSurface::SelectFont(const FontSpec& font) {
  FontSpec previous = std::exchange(font_, font);
  Record(RecordedCall::Kind::kSelectFont);
  return previous;
}

Colour RecordingSurface::SetTextColour(Colour colour) {
  const Colour previous = ExchangeColour(&text_colour_, colour);
  Record(RecordedCall::Kind::kTextColour).colour = colour;
  return previous;
}

Colour RecordingSurface::SetBackColour(Colour colour) {
  const Colour previous = ExchangeColour(&back_colour_, colour);
  Record(RecordedCall::Kind::kBackColour).colour = colour;
  return previous;
}

TextBackground RecordingSurface::SetTextBackground(TextBackground mode) {
  const TextBackground previous = std::exchange(text_background_, mode);
  Record(RecordedCall::Kind::kTextBackground);
  return previous;
}

void RecordingSurface::MoveTo(Point to) {
  position_ = to;
  Record(RecordedCall::Kind::kMoveTo).to = to;
}

void RecordingSurface::LineTo(Point to) {
  RecordedCall& call = Record(RecordedCall::Kind::kLineTo);
  call.from = position_;
  call.to = to;
  position_ = to;
}

void RecordingSurface::Polyline(std::span<const Point> points) {
  Record(RecordedCall::Kind::kPolyline).points.assign(points.begin(), points.end());
}

void RecordingSurface::FullArc(const Rect& box) { Record(RecordedCall::Kind::kFullArc).rect = box; }

void RecordingSurface::FillRect(const Rect& rect, Colour colour) {
  RecordedCall& call = Record(RecordedCall::Kind::kFillRect);
  call.rect = rect;
  call.colour = colour;
}

TextSize RecordingSurface::Extent(std::string_view text) const {
  int characters = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    utf8::Decode(text, &pos);
    ++characters;
  }
  return TextSize{characters * advance_, line_height_};
}

TextSize RecordingSurface::MeasureText(std::string_view text) {
  ++measure_count_;
  return Extent(text);
}

void RecordingSurface::DrawText(Point top_left, std::string_view text) {
  const TextSize size = Extent(text);
  RecordedCall& call = Record(RecordedCall::Kind::kDrawText);
  call.rect = Rect{top_left.x, top_left.y, top_left.x + size.width, top_left.y + size.height};
  call.text.assign(text);
}

std::vector<RecordedCall> RecordingSurface::CallsOf(RecordedCall::Kind kind) const {
  std::vector<RecordedCall> found;
  for (const RecordedCall& call : calls_) {
    if (call.kind == kind) found.push_back(call);
  }
  return found;
}

std::vector<std::string> RecordingSurface::Texts() const {
  std::vector<std::string> texts;
  for (const RecordedCall& call : calls_) {
    if (call.kind == RecordedCall::Kind::kDrawText) texts.push_back(call.text);
  }
  return texts;
}

void RecordingSurface::Clear() {
  calls_.clear();
  measure_count_ = 0;
}

}  // namespace corvane::chart
