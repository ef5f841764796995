#include "desktop/corvane_view.h"

#include <QDateTime>
#include <QPainter>
#include <cstdio>

#include "core/engine.h"
#include "core/engine_picture.h"
#include "desktop/corvane_doc.h"
#include "platform/qt/painter_surface.h"

namespace corvane::desktop {

CCorvaneView::CCorvaneView(CCorvaneDoc& document, QWidget* parent)
    : QWidget(parent),
      document_(document),
      engine_window_(this),
      report_paints_(qEnvironmentVariableIsSet("CORVANE_REPORT_PAINTS")) {
  // The frame handles the mouse on the diagram (move, caption toggle, context menu).
  setAttribute(Qt::WA_TransparentForMouseEvents);
  // Every paint fills the whole widget.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAccessibleName(tr("Wind rose"));
  connect(&document_, &CCorvaneDoc::updateAllViews, this, qOverload<>(&QWidget::update));
}

void CCorvaneView::paintEvent(QPaintEvent* /*event*/) {
  ++paint_count_;
  QPainter painter(this);
  qt::PainterSurface surface(painter, qt::PainterSurface::LineSmoothing::kOff, &text_cache_);
  DrawWholePicture(document_.engine(), surface, chart::Rect{0, 0, width(), height()});
  if (first_chart_ms_ == 0) NoteFirstPaints();
}

void CCorvaneView::NoteFirstPaints() {
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (first_paint_ms_ == 0) {
    first_paint_ms_ = now;
    if (report_paints_) std::fprintf(stderr, "Corvane: first paint at %lld ms\n", now);
  }
  // A chart once a sample has been stored and no status text stands in its place.
  Corvane& engine = document_.engine();
  if (engine.GetSampleCount() > 0 && engine.GetStatusText().empty()) {
    first_chart_ms_ = now;
    if (report_paints_) std::fprintf(stderr, "Corvane: first chart at %lld ms\n", now);
  }
}

}  // namespace corvane::desktop
