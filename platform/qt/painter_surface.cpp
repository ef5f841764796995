#include "platform/qt/painter_surface.h"

#include <QBrush>
#include <QRect>
#include <QRectF>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

namespace corvane::qt {
namespace {

constexpr int kDefaultPixelSize = 12;  // pixels

Qt::PenStyle ToQtStyle(chart::PenStyle style) {
  switch (style) {
    case chart::PenStyle::kDash:
      return Qt::DashLine;
    case chart::PenStyle::kDot:
      return Qt::DotLine;
    case chart::PenStyle::kDashDot:
      return Qt::DashDotLine;
    case chart::PenStyle::kDashDotDot:
      return Qt::DashDotDotLine;
    case chart::PenStyle::kNull:
      return Qt::NoPen;
    case chart::PenStyle::kSolid:
    case chart::PenStyle::kInsideFrame:
      break;
  }
  return Qt::SolidLine;
}

QPen ToQPen(const chart::Pen& pen) {
  QPen qt_pen(PainterSurface::ToQColor(pen.colour));
  qt_pen.setStyle(ToQtStyle(pen.style));
  // Width 0 is one pixel at any scale, as Qt's cosmetic pens are.
  qt_pen.setWidth(std::max(pen.width, 0));
  // Wide lines end and join round, so the closed polylines have no notches at their corners.
  qt_pen.setCapStyle(pen.width > 1 ? Qt::RoundCap : Qt::FlatCap);
  qt_pen.setJoinStyle(Qt::RoundJoin);
  return qt_pen;
}

QString FromUtf8(std::string_view text) {
  // Malformed bytes become U+FFFD.
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QColor PainterSurface::ToQColor(chart::Colour colour) {
  const auto bits = static_cast<std::uint32_t>(colour);
  return QColor(static_cast<int>(bits & 0xFFU), static_cast<int>((bits >> 8) & 0xFFU),
                static_cast<int>((bits >> 16) & 0xFFU));
}

QFont PainterSurface::ToQFont(const chart::FontSpec& font) {
  QFont qt_font(chart::IsDefaultDialogFace(font.face) ? QStringLiteral("Sans Serif")
                                                      : FromUtf8(font.face));
  qt_font.setStyleHint(QFont::SansSerif);
  qt_font.setPixelSize(font.height > 0 ? font.height : kDefaultPixelSize);
  return qt_font;
}

PainterSurface::PainterSurface(QPainter& painter, LineSmoothing smoothing, TextLayoutCache* cache)
    : painter_(painter),
      smoothing_(smoothing),
      qt_pen_(ToQPen(pen_)),
      qt_font_(ToQFont(font_)),
      cache_(cache != nullptr ? *cache : own_cache_),
      texts_(&cache_.ForFont(qt_font_)) {
  font_.height = kDefaultPixelSize;
  painter_.setRenderHint(QPainter::Antialiasing, smoothing_ == LineSmoothing::kOn);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
  painter_.setBrush(Qt::NoBrush);
  painter_.setFont(qt_font_);
  UseLinePen();
}

void PainterSurface::UseLinePen() {
  if (painter_pen_ == PainterPen::kLine) return;
  painter_.setPen(qt_pen_);
  painter_pen_ = PainterPen::kLine;
}

void PainterSurface::UseTextPen() {
  if (painter_pen_ == PainterPen::kText && painter_text_colour_ == text_colour_) return;
  painter_.setPen(ToQColor(text_colour_));
  painter_pen_ = PainterPen::kText;
  painter_text_colour_ = text_colour_;
}

double PainterSurface::StrokeOffset() const {
  // Aliased, Qt already fills the pixel right of and below each coordinate.
  if (smoothing_ == LineSmoothing::kOff) return 0.0;
  const int width = pen_.width <= 0 ? 1 : pen_.width;
  return width % 2 == 1 ? 0.5 : 0.0;
}

chart::Pen PainterSurface::SelectPen(const chart::Pen& pen) {
  qt_pen_ = ToQPen(pen);
  if (painter_pen_ == PainterPen::kLine || painter_pen_ == PainterPen::kSegments) {
    painter_pen_ = PainterPen::kOther;
  }
  return std::exchange(pen_, pen);
}

chart::FontSpec PainterSurface::SelectFont(const chart::FontSpec& font) {
  if (!(font == font_)) {
    qt_font_ = ToQFont(font);
    texts_ = &cache_.ForFont(qt_font_);
    painter_.setFont(qt_font_);
  }
  return std::exchange(font_, font);
}

chart::Colour PainterSurface::SetTextColour(chart::Colour colour) {
  return chart::ExchangeColour(&text_colour_, colour);
}

chart::Colour PainterSurface::SetBackColour(chart::Colour colour) {
  return chart::ExchangeColour(&back_colour_, colour);
}

chart::TextBackground PainterSurface::SetTextBackground(chart::TextBackground mode) {
  return std::exchange(text_background_, mode);
}

void PainterSurface::MoveTo(chart::Point to) { position_ = to; }

void PainterSurface::LineTo(chart::Point to) {
  const chart::Point from = std::exchange(position_, to);
  if (pen_.style == chart::PenStyle::kNull) return;
  UseLinePen();
  const double offset = StrokeOffset();
  painter_.drawLine(QPointF(from.x + offset, from.y + offset),
                    QPointF(to.x + offset, to.y + offset));
}

void PainterSurface::Polyline(std::span<const chart::Point> points) {
  if (points.size() < 2 || pen_.style == chart::PenStyle::kNull) return;
  const bool solid =
      pen_.style == chart::PenStyle::kSolid || pen_.style == chart::PenStyle::kInsideFrame;
  if (smoothing_ == LineSmoothing::kOff && solid && pen_.width > 1) {
    // Aliased, a wide solid polyline goes as separate square-capped segments, which Qt
    // rasterises directly; round joins would take it through the path stroker at several
    // times the cost. The segments' squares overlap at every corner, so a closed line still
    // has no notch.
    if (painter_pen_ != PainterPen::kSegments) {
      QPen square = qt_pen_;
      square.setCapStyle(Qt::SquareCap);
      painter_.setPen(square);
      painter_pen_ = PainterPen::kSegments;
    }
    segments_.clear();
    for (std::size_t i = 1; i < points.size(); ++i) {
      segments_.emplace_back(QPointF(points[i - 1].x, points[i - 1].y),
                             QPointF(points[i].x, points[i].y));
    }
    painter_.drawLines(segments_.data(), static_cast<int>(segments_.size()));
    return;
  }
  UseLinePen();
  const double offset = StrokeOffset();
  polyline_.clear();
  for (const chart::Point& point : points)
    polyline_.emplace_back(point.x + offset, point.y + offset);
  painter_.drawPolyline(polyline_.data(), static_cast<int>(polyline_.size()));
}

void PainterSurface::FullArc(const chart::Rect& box) {
  if (pen_.style == chart::PenStyle::kNull) return;
  UseLinePen();
  const double offset = StrokeOffset();
  painter_.drawEllipse(QRectF(box.left + offset, box.top + offset,
                              static_cast<double>(box.right) - box.left,
                              static_cast<double>(box.bottom) - box.top));
}

void PainterSurface::FillRect(const chart::Rect& rect, chart::Colour colour) {
  if (colour == chart::kNoColour || rect.right <= rect.left || rect.bottom <= rect.top) return;
  painter_.fillRect(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
                    ToQColor(colour));
}

chart::TextSize PainterSurface::MeasureText(std::string_view text) {
  const int height = texts_->height();
  if (text.empty()) return chart::TextSize{0, height};
  return chart::TextSize{texts_->Get(text).width, height};
}

void PainterSurface::DrawText(chart::Point top_left, std::string_view text) {
  if (text.empty()) return;
  TextLayoutCache::Entry& laid_out = texts_->Get(text);
  if (text_background_ == chart::TextBackground::kOpaque) {
    painter_.fillRect(QRect(top_left.x, top_left.y, laid_out.width, texts_->height()),
                      ToQColor(back_colour_));
  }
  const QPointF at(top_left.x, top_left.y);
  if (texts_->DrawPlain(painter_, at, laid_out, text, ToQColor(text_colour_).rgb())) return;
  UseTextPen();
  texts_->Layout(text, laid_out).draw(&painter_, at);
}

}  // namespace corvane::qt
