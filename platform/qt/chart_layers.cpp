#include "platform/qt/chart_layers.h"

#include <utility>

namespace corvane::qt {

chart::TextSize ChartLayers::CacheMeasure::Measure(const chart::FontSpec& font,
                                                   std::string_view text) {
  if (texts_ == nullptr || !(font == font_)) {
    font_ = font;
    texts_ = &cache_.ForFont(PainterSurface::ToQFont(font));
  }
  const int height = texts_->height();
  if (text.empty()) return chart::TextSize{0, height};
  return chart::TextSize{texts_->Get(text).width, height};
}

ChartLayers::ChartLayers(TextLayoutCache& cache, PainterSurface::LineSmoothing smoothing)
    : cache_(cache), smoothing_(smoothing), measure_(cache) {}

QRegion ChartLayers::Update(const DrawFunction& draw, const QRect& rect, qreal ratio) {
  ++recordings_;
  measure_.Reset();
  {
    chart::FrameRecorder recorder(next_, measure_);
    draw(recorder, chart::Rect{rect.left(), rect.top(), rect.left() + rect.width(),
                               rect.top() + rect.height()});
  }
  measure_.Reset();
  const bool same_place = known_ && rect == rect_ && ratio == ratio_;
  QRegion region;
  if (same_place && chart::FrameDescription::SameStill(shown_, next_)) {
    changed_.clear();
    chart::FrameDescription::ChangedAreas(shown_, next_, &changed_);
    // One rectangle around them all: under a clip of one rectangle Qt blits the still layer
    // line by line and fills without splitting the work over its threads, which costs less
    // than the pixels a region of many rectangles would spare.
    QRect around;
    for (const chart::Rect& area : changed_) {
      around |= QRect(area.left, area.top, area.right - area.left, area.bottom - area.top);
    }
    region = around & rect;
  } else {
    region = rect;
    still_current_ = false;
  }
  std::swap(shown_, next_);
  known_ = true;
  rect_ = rect;
  ratio_ = ratio;
  return region;
}

void ChartLayers::DrawStill() {
  const QSize pixels = (QSizeF(rect_.size()) * ratio_).toSize();
  // Opaque, as the window's backing store is: the background covers it all, and putting it
  // into the window is a copy, not a blend.
  if (still_.size() != pixels) still_ = QImage(pixels, QImage::Format_RGB32);
  still_.setDevicePixelRatio(ratio_);
  {
    QPainter painter(&still_);
    painter.translate(-rect_.topLeft());
    PainterSurface surface(painter, smoothing_, &cache_);
    chart::ReplayLayer(shown_, chart::DrawingLayer::kStill, surface);
  }
  still_current_ = true;
  ++still_redraws_;
}

void ChartLayers::Paint(QPainter& painter, const QRegion& region) {
  if (!known_ || region.isEmpty()) return;
  ++paints_;
  if (!still_current_) DrawStill();
  painter.save();
  painter.setClipRegion(region, Qt::IntersectClip);
  painter.drawImage(rect_.topLeft(), still_);
  changed_.clear();
  for (const QRect& part : region) {
    changed_.push_back(chart::Rect{part.left(), part.top(), part.left() + part.width(),
                                   part.top() + part.height()});
  }
  {
    PainterSurface surface(painter, smoothing_, &cache_);
    chart::ReplayLayer(shown_, chart::DrawingLayer::kMoving, surface, changed_);
  }
  painter.restore();
}

}  // namespace corvane::qt
