// ChartAnnouncer: tells assistive technologies what a sample changed on the wind rose. After
// each sample (or change of the view) it compares every axis's spoken numbers with those of
// the last call and sends a value-change event for the focused axis when its text changed;
// every axis that enters or leaves the critical state gets an alert and a description-change
// event; the chart's description (its summary: the status text, how many axes are critical)
// gets one description-change event when it changed. A changed axis count reorders the view's
// children. The other axes' values are read when asked, so 32 changing axes cost one event. While
// no assistive technology listens it returns at once and forgets what it knew, so a sample then
// costs one check.
//
// Owned by the view; GUI thread only. The engine must outlive it.
#pragma once

#include <QObject>

class QAccessibleEvent;
#include <array>
#include <string>

#include "desktop/accessibility/chart_speech.h"

namespace corvane {
class Corvane;
}

namespace corvane::desktop {

class ChartAnnouncer {
 public:
  // Whether an assistive technology listens; QAccessible::isActive unless a test sets another.
  using ListeningProbe = bool (*)();

  ChartAnnouncer(const Corvane& engine, QObject* view);

  void SetListeningProbe(ListeningProbe probe) { listening_ = probe; }
  bool Listening() const { return listening_(); }

  // Sends the events for what changed since the last call. The first call after an assistive
  // technology starts listening only takes note (nothing it asked for can have changed yet).
  void Announce();

  // The axis whose value changes are spoken (the view's current axis); -1: none.
  void SetFocusedAxis(int axis);
  int focused_axis() const { return focused_; }

  // Events sent so far, for tests and measurements.
  int events_sent() const { return events_sent_; }

 private:
  static constexpr int kCapacity = 32;  // axes; the engine's capacity

  void Send(QAccessibleEvent& event);

  const Corvane& engine_;
  QObject* view_;
  ListeningProbe listening_;
  bool known_ = false;  // the numbers below are those of the last call
  int axes_ = 0;
  bool numbers_ = false;
  std::string status_;
  std::array<AxisFingerprint, kCapacity> prints_{};
  int critical_ = 0;  // axes in the critical state at the last call
  int focused_ = 0;
  int events_sent_ = 0;
};

}  // namespace corvane::desktop
