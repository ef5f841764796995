#include "desktop/frame/corvane_view.h"

#include <QAccessible>
#include <QDateTime>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
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
  draw_ = [this](chart::DrawingSurface& surface, const chart::Rect& rect) {
    DrawWholePicture(document_.engine(), surface, rect);
  };
  engine_window_.SetRepaint([this] { RepaintChanges(); });
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
  connect(&obscuration_, &qt::WindowObscuration::changed, this, &CCorvaneView::MaybeSeenAgain);
  connect(&activation_, &AccessibilityActivation::changed, this, &CCorvaneView::DemandChanged);
  demand_recheck_.setInterval(kDemandRecheckMs);
  connect(&demand_recheck_, &QTimer::timeout, this, &CCorvaneView::DemandChanged);
}

void CCorvaneView::SetOtherDemand(std::function<bool()> wanted) {
  other_demand_ = std::move(wanted);
  DemandChanged();
}

void CCorvaneView::DemandChanged() {
  const bool wanted = Seen() || announcer_.Listening() || (other_demand_ && other_demand_());
  if (!wanted) missed_ = true;  // the samples held back are drawn when it can be seen again
  engine_window_.SetHeld(!wanted);
  if (!wanted && other_demand_) {
    if (!demand_recheck_.isActive()) demand_recheck_.start();
  } else {
    demand_recheck_.stop();
  }
}

void CCorvaneView::AnnounceTitle() {
  if (!announcer_.Listening()) return;
  QAccessibleEvent event(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
}

bool CCorvaneView::Seen() const {
  if (!isVisible()) return false;
  const QWidget* top = window();
  if (top->isMinimized() || !top->isVisible()) return false;
  const QWindow* handle = top->windowHandle();
  return handle != nullptr && handle->isExposed() && !obscuration_.obscured();
}

void CCorvaneView::WatchWindow() {
  QWidget* top = window();
  if (top != watched_top_) {
    if (watched_top_) watched_top_->removeEventFilter(this);
    watched_top_ = top;
    if (top != this) top->installEventFilter(this);
  }
  QWindow* handle = top->windowHandle();
  if (handle != watched_handle_) {
    if (watched_handle_) watched_handle_->removeEventFilter(this);
    watched_handle_ = handle;
    if (handle != nullptr) handle->installEventFilter(this);
    obscuration_.Watch(handle);
  }
}

bool CCorvaneView::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Expose:
      // Seen before the window system's exposure is carried out, so that what was passed over
      // is part of the paint it brings (not the backing store's old picture put back).
      if (watched == watched_handle_) MaybeSeenAgain();
      break;
    case QEvent::WindowStateChange:
    case QEvent::Show:
      if (watched == watched_top_) {
        WatchWindow();
        MaybeSeenAgain();
      }
      break;
    case QEvent::Hide:
      // Hidden (to the tray, say): the samples are held from now on unless wanted elsewhere.
      if (watched == watched_top_) DemandChanged();
      break;
    case QEvent::WinIdChange:
      if (watched == watched_top_) {
        watched_handle_ = nullptr;  // a new native window: watched anew
        WatchWindow();
      }
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

void CCorvaneView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  WatchWindow();
  MaybeSeenAgain();
}

void CCorvaneView::MaybeSeenAgain() {
  if (missed_ && Seen()) {
    missed_ = false;
    // The whole view: its paint records the picture as it is now.
    requested_ = QRegion();
    update();
  }
  // Released after that paint is asked for, so the delivery of what was held back finds the
  // picture already current.
  DemandChanged();
}

void CCorvaneView::RepaintChanges() {
  if (!Seen()) {
    missed_ = true;  // recorded when it can be seen again
    DemandChanged();
    return;
  }
  const QRegion changed = layers_.Update(draw_, rect(), devicePixelRatioF());
  if (changed.isEmpty()) return;
  requested_ += changed;
  // Painted now, inside the call that brought the sample: an update() would post a paint request
  // and take another turn of the event loop for it.
  repaint(changed);
}

void CCorvaneView::paintEvent(QPaintEvent* event) {
  ++paint_count_;
  painted_ = event->region();
  // A paint of only what the last samples changed draws the picture they recorded; any other
  // (a command, an exposure, a new size) records the picture as it is now, and what changed
  // outside this paint's region gets a paint of its own.
  const bool recorded = !requested_.isEmpty() && (painted_ - requested_).isEmpty();
  requested_ = QRegion();
  if (!recorded) {
    const QRegion changed = layers_.Update(draw_, rect(), devicePixelRatioF()) - painted_;
    if (!changed.isEmpty()) update(changed);
  }
  // The painter works in device-independent pixels on a backing store at the screen's device
  // pixel ratio, so lines and text come out at device resolution.
  QPainter painter(this);
  layers_.Paint(painter, painted_);
  if (first_chart_ms_ == 0) NoteFirstPaints();
}

void CCorvaneView::keyPressEvent(QKeyEvent* event) {
  const int axes = document_.engine().GetAxisCount();
  const int current = std::clamp(announcer_.focused_axis(), 0, std::max(axes - 1, 0));
  int next = -1;
  if (event->modifiers() == Qt::NoModifier && axes > 0) {
    switch (event->key()) {
      case Qt::Key_Down:
      case Qt::Key_Right:
        next = (current + 1) % axes;
        break;
      case Qt::Key_Up:
      case Qt::Key_Left:
        next = (current + axes - 1) % axes;
        break;
      case Qt::Key_Home:
        next = 0;
        break;
      case Qt::Key_End:
        next = axes - 1;
        break;
      default:
        break;
    }
  }
  if (next < 0) {
    QWidget::keyPressEvent(event);  // the frame's keys
    return;
  }
  announcer_.SetFocusedAxis(next);
  if (announcer_.Listening()) {
    if (QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(this)) {
      if (QAccessibleInterface* axis = chart->child(next)) {
        QAccessibleEvent focus(axis, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
      }
    }
  }
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
