#include "desktop/frame/corvane_view.h"

#include <QAccessible>
#include <QDateTime>
#include <QPainter>
#include <cstdio>

#include "core/engine.h"
#include "core/engine_picture.h"
#include "desktop/accessibility/chart_accessible.h"
#include "desktop/document/corvane_doc.h"
#include "platform/qt/painter_surface.h"

namespace corvane::desktop {

CCorvaneView::CCorvaneView(CCorvaneDoc& document, QWidget* parent)
    : QWidget(parent),
      document_(document),
      engine_window_(this),
      announcer_(document.engine(), this),
      report_paints_(qEnvironmentVariableIsSet("CORVANE_REPORT_PAINTS")) {
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
