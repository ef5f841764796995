// CollectorStopper: stops the engine's collector without holding up the GUI thread. It asks
// the collector to stop and looks again every 10 ms until the collector has ended (stopped)
// or the engine's stop limit, 5000 ms, has passed (gaveUp); a collector that is still starting
// refuses a stop and is asked again. Meanwhile the event loop runs on: the windows repaint,
// the widget given to SetWaitingWidget is disabled and the cursor is busy. One stop at a
// time; a collector that does not run stops at once, before Stop returns.
//
// GUI thread only. The engine must outlive the stopper.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace corvane {
class Corvane;
}

namespace corvane::desktop {

class CollectorStopper final : public QObject {
  Q_OBJECT

 public:
  // What follows a stop: true when the collector ended, false when the stop gave up.
  using Then = std::function<void(bool stopped)>;

  explicit CollectorStopper(Corvane& engine, QObject* parent = nullptr);
  ~CollectorStopper() override;

  // Starts a stop and calls `then` with its outcome (after the signal). Refused (false, `then`
  // is not called) while another stop is pending.
  bool Stop(Then then = {});
  bool IsPending() const { return timer_.isActive(); }
  // The window that waits for the stops: disabled while one is pending.
  void SetWaitingWidget(QWidget* widget) { waiting_ = widget; }

 Q_SIGNALS:
  void stopped();
  void gaveUp();

 private:
  void Poll();
  void Finish(bool ended);

  Corvane& engine_;
  QTimer timer_;
  QElapsedTimer elapsed_;
  Then then_;
  QPointer<QWidget> waiting_;
};

// Message 61210 in an OK box over `parent`: the collector did not stop within its limit.
void ShowCannotStopCollector(QWidget* parent);

}  // namespace corvane::desktop
