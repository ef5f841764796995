#include "platform/qt/qt_engine_window.h"

#include <QMetaObject>

namespace corvane::qt {

QtEngineWindow::QtEngineWindow(QWidget* widget) : QObject(widget), widget_(widget) {}

void QtEngineWindow::Invalidate(bool /*erase*/) {
  if (pending_.exchange(true, std::memory_order_acq_rel)) return;
  QMetaObject::invokeMethod(this, &QtEngineWindow::Deliver, Qt::QueuedConnection);
}

void QtEngineWindow::Deliver() {
  // Cleared before the paint is asked for: a sample ending during that paint posts again.
  pending_.store(false, std::memory_order_release);
  ++delivered_;
  if (repaint_) {
    repaint_();
  } else if (widget_) {
    widget_->update();
  }
  emit delivered();
}

}  // namespace corvane::qt
