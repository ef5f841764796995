#include "desktop/corvane_view.h"

#include <QAccessible>
#include <QPainter>

#include "core/engine_picture.h"
#include "desktop/chart_accessible.h"
#include "desktop/corvane_doc.h"
#include "platform/qt/painter_surface.h"

namespace corvane::desktop {

CCorvaneView::CCorvaneView(CCorvaneDoc& document, QWidget* parent)
    : QWidget(parent),
      document_(document),
      engine_window_(this),
      announcer_(document.engine(), this) {
  InstallChartAccessibility();
  // The frame handles the mouse on the diagram (move, caption toggle, context menu).
  setAttribute(Qt::WA_TransparentForMouseEvents);
  // Every paint fills the whole widget.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // The keyboard focus rests on the chart, where a screen reader starts reading.
  setFocusPolicy(Qt::StrongFocus);
  setAccessibleName(tr("Wind rose"));
  connect(&document_, &CCorvaneDoc::updateAllViews, this, qOverload<>(&QWidget::update));
  // After each sample (and each change of the view) the listening technology hears what
  // changed; without one this is a single check.
  connect(&engine_window_, &qt::QtEngineWindow::delivered, this, [this] { announcer_.Announce(); });
  connect(&document_, &CCorvaneDoc::updateAllViews, this, [this] { announcer_.Announce(); });
  connect(&document_, &CCorvaneDoc::titleChanged, this, &CCorvaneView::AnnounceTitle);
}

void CCorvaneView::AnnounceTitle() {
  if (!announcer_.Listening()) return;
  QAccessibleEvent event(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
}

void CCorvaneView::paintEvent(QPaintEvent* /*event*/) {
  ++paint_count_;
  // The painter works in device-independent pixels on a backing store at the screen's device
  // pixel ratio, so lines and text come out at device resolution.
  QPainter painter(this);
  qt::PainterSurface surface(painter, qt::PainterSurface::LineSmoothing::kOff, &text_cache_);
  DrawWholePicture(document_.engine(), surface, chart::Rect{0, 0, width(), height()});
}

}  // namespace corvane::desktop
