#include "platform/qt/qt_engine_window.h"

namespace corvane::qt {

QtEngineWindow::QtEngineWindow(QWidget* widget) : QObject(widget), widget_(widget) {}

void QtEngineWindow::Invalidate(bool /*erase*/) {
  if (held_.load()) {
    held_back_.store(true);
    // Released between the two reads: the release may not have seen the note.
    if (held_.load()) return;
  }
  request_.Request();
}

void QtEngineWindow::SetHeld(bool held) {
  held_.store(held);
  if (!held && held_back_.exchange(false)) request_.Request();
}

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
