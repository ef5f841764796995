// QtEngineWindow: the engine's window over a Qt widget. The collector calls Invalidate from its
// own thread with the chart lock held; the call only posts one repaint request to the widget's
// thread and returns. Requests made before that repaint is carried out add nothing, so a burst
// of invalidations costs one paint. Each delivery is also signalled on the widget's thread. Never
// waits for the GUI thread (a blocking hand-over would deadlock with a paint that takes the chart
// lock).
//
// While nothing on the widget's thread wants the samples (the window unseen, no screen reader,
// no tray showing the rose), the window is held: a request posts nothing and wakes no thread,
// and releasing it delivers once what was passed over.
//
// Lives on the widget's thread and must be destroyed there; the engine must have dropped it
// (Stop or ClearWindow) first. Requests still queued when it goes are discarded.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <atomic>
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

  // Holds requests back (GUI thread): while held they post nothing. Released, the window gets
  // one delivery if any request was held back meanwhile.
  void SetHeld(bool held);
  bool held() const { return held_.load(); }

  // Repaint requests that reached the widget (GUI thread), and requests posted to its thread
  // (any thread); for tests and measurements.
  int DeliveredRequests() const { return delivered_; }
  int PostedRequests() const { return request_.posted(); }

 Q_SIGNALS:
  // A repaint request reached the widget's thread (after a sample, among others).
  void delivered();

 private:
  void Deliver();

  QPointer<QWidget> widget_;
  std::function<void()> repaint_;
  int delivered_ = 0;
  std::atomic<bool> held_{false};
  std::atomic<bool> held_back_{false};  // a request came while held
  CoalescedCall request_{this, [this] { Deliver(); }};
};

}  // namespace corvane::qt
