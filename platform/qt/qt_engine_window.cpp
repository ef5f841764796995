#include "platform/qt/qt_engine_window.h"

namespace corvane::qt {

QtEngineWindow::QtEngineWindow(QWidget* widget) : QObject(widget), widget_(widget) {}

void QtEngineWindow::Invalidate(bool /*erase*/) { request_.Request(); }

void QtEngineWindow::Deliver() {
  ++delivered_;
  if (repaint_) {
    repaint_();
  } else if (widget_) {
    widget_->update();
  }
  Q_EMIT delivered();
}

}  // namespace corvane::qt
