// AlertNotifier: desktop notifications (org.freedesktop.Notifications on the session bus) for
// counters entering the alert state. The program keeps at most one notification on screen: it
// lists every counter in alert with its value, critical value and machine; it is updated in
// place (replaces_id) when counters join or leave the alert, and withdrawn
// (CloseNotification) when the last one leaves. A counter is announced at most once a minute:
// one that enters again sooner joins the list silently. Counters entering together (one sample)
// make one notification. Without a session bus or a notification service nothing is shown and
// nothing waits: every call is asynchronous.
//
// AlertPoster is the engine's AlertSink: on the collector thread it copies a sample's changes
// and posts them to the notifier's thread, never waiting for it.
//
// AlertNotifier: GUI thread only. AlertPoster: any thread; the notifier must outlive the
// engine's collector (the document stops it first).
#pragma once

#include <QDBusPendingCallWatcher>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <functional>

#include "core/engine_host.h"

namespace corvane::desktop {

// One counter in alert as a notification names it.
struct AlertedCounter {
  int axis = 0;
  QString name;     // the axis's name, else its counter path
  QString machine;  // the counter's machine, or this computer's name
  QString value;    // as the chart shows it, or "N/A"
  QString critical;
};

// One sample's changes, copied off the collector thread.
struct AlertBatch {
  QList<AlertedCounter> entered;
  QList<int> left;  // axes
  int in_alert = 0;
};

class AlertNotifier final : public QObject {
  Q_OBJECT

 public:
  static constexpr qint64 kAnnounceGapMs = 60'000;  // per counter

  explicit AlertNotifier(QObject* parent = nullptr);

  // Off withdraws the notification on screen; changes are still followed while off, so that
  // turning it on later lists the counters then in alert only when they next enter.
  void SetEnabled(bool enabled);
  bool enabled() const { return enabled_; }
  // Milliseconds of a monotonic clock (tests move their own).
  void SetClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

  // A sample's changes (posted by AlertPoster).
  void Handle(const AlertBatch& batch);

  // The notification on screen (0: none) and the counters it lists, for tests.
  quint32 shown_id() const { return shown_id_; }
  QList<int> listed_axes() const { return listed_.keys(); }

  // The texts of the notification for a list of counters. The body is markup to the server
  // and comes escaped; the summary is plain text to it and is not.
  static QString Summary(const QList<AlertedCounter>& counters);
  static QString Body(const QList<AlertedCounter>& counters);

 Q_SIGNALS:
  // The number of counters in alert changed (the tray's tip shows it).
  void alertCountChanged(int in_alert);

 private:
  void Send();
  void Withdraw();
  void OnNotifyReply(QDBusPendingCallWatcher* watcher);

 private Q_SLOTS:
  // The service's NotificationClosed signal (QtDBus connects signals by signature only).
  void OnClosed(uint id, uint reason);

 private:
  bool enabled_ = false;
  std::function<qint64()> clock_;
  QMap<int, AlertedCounter> listed_;  // by axis: the counters in alert, display order
  QMap<int, qint64> last_announced_;  // by axis: ms of the last announcement
  quint32 shown_id_ = 0;
  bool reply_pending_ = false;      // a Notify call awaits its id
  bool send_after_reply_ = false;   // the list changed meanwhile
  bool close_after_reply_ = false;  // the notification was withdrawn meanwhile
  int in_alert_ = 0;
};

class AlertPoster final : public AlertSink {
 public:
  explicit AlertPoster(AlertNotifier& notifier) : notifier_(notifier) {}
  void AlertsChanged(std::span<const AlertEvent> changes, int in_alert) override;

 private:
  AlertNotifier& notifier_;
};

}  // namespace corvane::desktop
