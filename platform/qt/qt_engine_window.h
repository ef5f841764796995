// QtEngineWindow: the engine's window over a Qt widget. The collector calls Invalidate from its
// own thread with the chart lock held; the call only posts one repaint request to the widget's
// thread and returns. Requests made before that repaint is carried out add nothing, so a burst
// of invalidations costs one paint. Each delivery is also signalled on the widget's thread. Never
// waits for the GUI thread (a blocking hand-over would deadlock with a paint that takes the chart
// lock).
//
// Lives on the widget's thread and must be destroyed there; the engine must have dropped it
// (Stop or ClearWindow) first. Requests still queued when it goes are discarded.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <utility>

#include "core/engine_host.h"
#include "platform/qt/coalesced_call.h"

namespace corvane::qt {

class QtEngineWindow final : public QObject, public EngineWindow {
  Q_OBJECT

 public:
  explicit QtEngineWindow(QWidget* widget);

  // Any thread. `erase` is implied: the widget's paint fills its whole background.
  void Invalidate(bool erase) override;

  // What a request that reaches the widget's thread does instead of updating the whole widget
  // (GUI thread): a window that knows what changed updates only that, or nothing.
  void SetRepaint(std::function<void()> repaint) { repaint_ = std::move(repaint); }

  // Repaint requests that reached the widget (GUI thread); for tests and measurements.
  int DeliveredRequests() const { return delivered_; }

 Q_SIGNALS:
  // A repaint request reached the widget's thread (after a sample, among others).
  void delivered();

 private:
  void Deliver();

  QPointer<QWidget> widget_;
  std::function<void()> repaint_;
  int delivered_ = 0;
  CoalescedCall request_{this, [this] { Deliver(); }};
};

}  // namespace corvane::qt
