#include "platform/qt/window_flags.h"

#include <QWidget>
#include <QWindow>

namespace corvane::qt {

void ApplyWindowFlags(QWidget* window, Qt::WindowFlags flags) {
  if (window == nullptr || window->windowFlags() == flags) return;
  if (QWindow* native = window->windowHandle()) {
    // The widget records the flags without touching its window; the window is told itself.
    window->overrideWindowFlags(flags);
    native->setFlags(flags);
  } else {
    window->setWindowFlags(flags);
  }
}

void SetStaysOnTop(QWidget* window, bool on_top) {
  if (window == nullptr) return;
  Qt::WindowFlags flags = window->windowFlags();
  flags.setFlag(Qt::WindowStaysOnTopHint, on_top);
  ApplyWindowFlags(window, flags);
}

}  // namespace corvane::qt
