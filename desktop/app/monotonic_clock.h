// One monotonic clock for the desktop program's timing rules (the tray's two clicks, the
// tray picture's pace, the notifications' gap): milliseconds since its first use. Any thread.
#pragma once

#include <QElapsedTimer>

namespace corvane::desktop {

inline qint64 MonotonicMilliseconds() {
  static const QElapsedTimer timer = [] {
    QElapsedTimer started;
    started.start();
    return started;
  }();
  return timer.elapsed();
}

}  // namespace corvane::desktop
