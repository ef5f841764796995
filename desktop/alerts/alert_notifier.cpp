#include "desktop/alerts/alert_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QMetaObject>
#include <QSysInfo>
#include <QVariantMap>
#include <cmath>

#include "core/counter_path.h"
#include "desktop/alerts/notification_markup.h"
#include "desktop/app/monotonic_clock.h"
#include "platform/qt/number_text.h"
#include "platform/qt/product_text.h"

namespace corvane::desktop {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

QString MachineOf(std::string_view path) {
  std::string_view machine = MachinePart(path);
  while (machine.starts_with('\\')) machine.remove_prefix(1);
  if (machine.empty()) return QSysInfo::machineHostName();
  return QString::fromUtf8(machine.data(), static_cast<qsizetype>(machine.size()));
}

}  // namespace

AlertNotifier::AlertNotifier(QObject* parent) : QObject(parent), clock_(MonotonicMilliseconds) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) {
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(OnClosed(uint, uint)));
  }
}

QString AlertNotifier::Summary(const QList<AlertedCounter>& counters) {
  if (counters.size() == 1) return tr("Corvane: %1 is critical").arg(counters.front().name);
  return tr("Corvane: %1 counters are critical").arg(counters.size());
}

QString AlertNotifier::Body(const QList<AlertedCounter>& counters) {
  QStringList lines;
  // The body is markup to the server; the names come from the profile.
  for (const AlertedCounter& counter : counters) {
    lines.append(EscapeNotificationMarkup(
        tr("%1 on %2: %3 (critical value %4)")
            .arg(counter.name, counter.machine, counter.value, counter.critical)));
  }
  return lines.join(QLatin1Char('\n'));
}

void AlertNotifier::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (!enabled_) Withdraw();
}

void AlertNotifier::Handle(const AlertBatch& batch) {
  const qint64 now = clock_();
  bool changed = false;
  bool announce = false;
  for (const int axis : batch.left) changed = listed_.remove(axis) > 0 || changed;
  for (const AlertedCounter& counter : batch.entered) {
    listed_.insert(counter.axis, counter);
    changed = true;
    const auto last = last_announced_.constFind(counter.axis);
    if (last == last_announced_.cend() || now - *last >= kAnnounceGapMs) {
      last_announced_.insert(counter.axis, now);
      announce = true;
    }
  }
  if (in_alert_ != batch.in_alert) {
    in_alert_ = batch.in_alert;
    Q_EMIT alertCountChanged(in_alert_);
  }
  if (!enabled_ || !changed) return;
  if (listed_.isEmpty()) {
    Withdraw();
  } else if (announce || shown_id_ != 0 || reply_pending_) {
    // A silent change reaches only a notification still on screen; a dismissed one stays away.
    Send();
  }
}

void AlertNotifier::Send() {
  close_after_reply_ = false;
  if (reply_pending_) {
    send_after_reply_ = true;
    return;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  const QList<AlertedCounter> counters = listed_.values();
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(2));  // critical
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("corvane"));
  call << QString::fromLatin1(product::kAppTitle) << shown_id_ << QStringLiteral("corvane")
       << Summary(counters) << Body(counters) << QStringList() << hints
       << qint32(0);  // never expires: it is withdrawn when the alert ends
  reply_pending_ = true;
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, &AlertNotifier::OnNotifyReply);
}

void AlertNotifier::OnNotifyReply(QDBusPendingCallWatcher* watcher) {
  watcher->deleteLater();
  const QDBusPendingReply<quint32> reply = *watcher;
  reply_pending_ = false;
  // Without a service (or with one that failed) nothing is on screen.
  shown_id_ = reply.isError() ? 0 : reply.value();
  if (close_after_reply_) {
    close_after_reply_ = false;
    send_after_reply_ = false;
    Withdraw();
  } else if (send_after_reply_) {
    send_after_reply_ = false;
    Send();
  }
}

void AlertNotifier::Withdraw() {
  send_after_reply_ = false;
  if (reply_pending_) {
    close_after_reply_ = true;
    return;
  }
  if (shown_id_ == 0) return;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                     QStringLiteral("CloseNotification"));
  call << shown_id_;
  shown_id_ = 0;
  QDBusConnection::sessionBus().asyncCall(call);
}

void AlertNotifier::OnClosed(uint id, uint /*reason*/) {
  // Dismissed by the user, expired, or withdrawn by us: it is no longer on screen.
  if (id == shown_id_) shown_id_ = 0;
}

void AlertPoster::AlertsChanged(std::span<const AlertEvent> changes, int in_alert) {
  AlertBatch batch;
  batch.in_alert = in_alert;
  for (const AlertEvent& event : changes) {
    if (!event.entered) {
      batch.left.append(event.axis);
      continue;
    }
    AlertedCounter counter;
    counter.axis = event.axis;
    const std::string_view name = event.name.empty() ? event.counter_path : event.name;
    counter.name = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    counter.machine = MachineOf(event.counter_path);
    counter.value = event.available ? qt::ValueText(event.value) : QStringLiteral("N/A");
    counter.critical = qt::ValueText(event.critical);
    batch.entered.append(counter);
  }
  AlertNotifier* notifier = &notifier_;
  QMetaObject::invokeMethod(
      notifier, [notifier, batch] { notifier->Handle(batch); }, Qt::QueuedConnection);
}

}  // namespace corvane::desktop
