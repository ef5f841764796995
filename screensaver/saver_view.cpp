#include "screensaver/saver_view.h"

#include <QPainter>
#include <span>

#include "core/engine.h"
#include "core/engine_picture.h"

namespace corvane::screensaver {

SaverView::SaverView(Corvane& engine, x11::XcbWindow& window, ChartPlacement placement,
                     bool ends_on_input, QObject* parent)
    : QObject(parent),
      engine_(engine),
      window_(window),
      placement_(std::move(placement)),
      ends_on_input_(ends_on_input) {
  draw_ = [this](chart::DrawingSurface& surface, const chart::Rect& rect) {
    DrawWholePicture(engine_, surface, rect);
  };
  second_.setInterval(1000);
  connect(&second_, &QTimer::timeout, this, &SaverView::OnSecond);
  readable_ = new QSocketNotifier(window_.fd(), QSocketNotifier::Read, this);
  connect(readable_, &QSocketNotifier::activated, this, &SaverView::OnConnectionReadable);
}

void SaverView::Start() {
  FollowSize();
  second_.start();
  // Events may have been read from the socket already while the window was described.
  HandleEvents();
}

void SaverView::Invalidate(bool /*erase*/) { repaint_.Request(); }

void SaverView::OnSecond() {
  if (placement_.Tick()) Redraw();
}

void SaverView::OnConnectionReadable() { HandleEvents(); }

void SaverView::HandleEvents() {
  bool resized = false;
  bool shown = false;
  std::vector<QRect> exposed;
  for (const x11::WindowEvent& event : window_.TakeEvents()) {
    using Kind = x11::WindowEvent::Kind;
    bool ends = false;
    switch (event.kind) {
      case Kind::kExposed:
        exposed.emplace_back(event.x, event.y, event.width, event.height);
        break;
      case Kind::kResized:
        resized = true;
        break;
      case Kind::kShown:
        shown = true;
        break;
      case Kind::kHidden:
        break;
      case Kind::kGone:
        ends = true;
        break;
      case Kind::kKey:
        ends = ends_on_input_ && input_.OnKey();
        break;
      case Kind::kButton:
        ends = ends_on_input_ && input_.OnButton();
        break;
      case Kind::kMotion:
        ends = ends_on_input_ && input_.OnMotion({event.x, event.y});
        break;
    }
    if (ends && !finished_) {
      finished_ = true;
      second_.stop();
      Q_EMIT finished();
      return;
    }
  }
  if (resized) {
    FollowSize();  // paints the whole window
    return;
  }
  if (shown && missed_) Redraw();
  for (const QRect& part : exposed) PutPart(part);
  if (!exposed.empty()) window_.Flush();
}

void SaverView::FollowSize() {
  const int width = window_.width();
  const int height = window_.height();
  frame_ = QImage(width, height, QImage::Format_RGB32);
  frame_.fill(Qt::black);
  shown_ = QRect();
  layers_.Forget();
  placement_.SetClientSize(width, height);
  if (width < kNarrowWindow) {
    // A preview: the diagram without its texts, whatever the profile says.
    engine_.SetShowNames(0);
    engine_.SetShowValues(0);
  }
  Redraw();
  PutPart(frame_.rect());
  window_.Flush();
}

void SaverView::Redraw() {
  if (frame_.isNull() || finished_) return;
  if (!window_.viewable()) {
    missed_ = true;
    return;
  }
  missed_ = false;
  const chart::Rect& r = placement_.rect();
  const QRect target =
      placement_.visible() && placement_.chart_width() > 0 && placement_.chart_height() > 0
          ? QRect(r.left, r.top, r.right - r.left, r.bottom - r.top)
          : QRect();
  const QRect was = shown_;
  // Where the chart stayed, only what the sample changed is drawn and put; a moved chart is
  // drawn whole.
  const QRegion changed = target.isEmpty() ? QRegion() : layers_.Update(draw_, target, 1.0);
  if (target == was && changed.isEmpty()) return;
  ++redraws_;
  {
    QPainter painter(&frame_);
    if (!was.isEmpty() && was != target) painter.fillRect(was, Qt::black);
    // The chart stays inside its rectangle: the rest of the window is black.
    if (!target.isEmpty()) layers_.Paint(painter, was == target ? changed : QRegion(target));
  }
  shown_ = target;
  if (was == target) {
    for (const QRect& part : changed) PutPart(part);
  } else {
    if (!was.isEmpty() && !target.contains(was)) PutPart(was);
    if (!target.isEmpty()) PutPart(target);
  }
  window_.Flush();
}

void SaverView::PutPart(const QRect& part) {
  const QRect clipped = part.intersected(frame_.rect());
  if (clipped.isEmpty()) return;
  const auto* pixels = reinterpret_cast<const std::uint32_t*>(frame_.constBits());
  const std::size_t count = static_cast<std::size_t>(frame_.sizeInBytes()) / 4;
  window_.Put(std::span(pixels, count), static_cast<int>(frame_.bytesPerLine() / 4), clipped.x(),
              clipped.y(), clipped.width(), clipped.height());
}

}  // namespace corvane::screensaver
