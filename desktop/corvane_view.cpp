#include "desktop/corvane_view.h"

#include <QPainter>

#include "core/engine_picture.h"
#include "desktop/corvane_doc.h"
#include "platform/qt/painter_surface.h"

namespace corvane::desktop {

CCorvaneView::CCorvaneView(CCorvaneDoc& document, QWidget* parent)
    : QWidget(parent), document_(document), engine_window_(this) {
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
}

}  // namespace corvane::desktop
