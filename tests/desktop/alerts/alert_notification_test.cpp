// Desktop notifications of counters in alert, against a real notification service: dbusmock's
// notification daemon on the private session bus of dbus-run-session, its calls read from its
// log. The engine runs its collector over the fake provider; each step is one resample.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/counter_item.h"
#include "core/engine.h"
#include "desktop/alerts/alert_notifier.h"
#include "desktop/alerts/notification_markup.h"
#include "platform/fake/fake_provider.h"
#include "tests/support/temp_folder.h"

// Failure messages show Qt's strings.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
  return out << text.toStdString();
}

namespace corvane::desktop {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");

bool WaitUntil(const std::function<bool()>& done, int limit_ms = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > limit_ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

// Lets queued batches and D-Bus replies arrive.
void Settle(int ms = 300) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// The notification daemon of dbusmock, for the life of the object.
class NotificationDaemon {
 public:
  explicit NotificationDaemon(const QString& log) : log_(log) {
    process_.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                    QStringLiteral("notification_daemon"), QStringLiteral("-l"), log});
    started_ =
        process_.waitForStarted(5000) && WaitUntil([] {
          return QDBusConnection::sessionBus().interface()->isServiceRegistered(kService).value();
        });
  }
  ~NotificationDaemon() {
    process_.terminate();
    process_.waitForFinished(5000);
    WaitUntil([] {
      return !QDBusConnection::sessionBus().interface()->isServiceRegistered(kService).value();
    });
  }
  bool started() const { return started_; }

  // The logged method calls ("Notify ..." and "CloseNotification ..."), one entry per call
  // (a body's line feeds stay inside its entry).
  QStringList Calls() const {
    QFile file(log_);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression start(QStringLiteral("(?m)^\\d+\\.\\d+ "));
    QStringList calls;
    for (const QString& entry : text.split(start, Qt::SkipEmptyParts)) {
      if (entry.startsWith(QLatin1String("Notify ")) ||
          entry.startsWith(QLatin1String("CloseNotification "))) {
        calls.append(entry.trimmed());
      }
    }
    return calls;
  }

 private:
  QString log_;
  QProcess process_;
  bool started_ = false;
};

// The replaces_id of a logged Notify: the field after the application name.
QString ReplacesId(const QString& call) {
  static const QRegularExpression notify(QStringLiteral("^Notify \"Corvane\" (\\d+) "));
  return notify.match(call).captured(1);
}

class AlertNotificationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QDBusConnection::sessionBus().isConnected()) {
      GTEST_SKIP() << "no session bus: run under dbus-run-session";
    }
    engine_.SetUpNewProfile();
    engine_.RemoveAllAxes();
    CorvaneSettings s = engine_.GetSettings();
    s.LogMode = log_mode::kOff;
    engine_.SetSettings(s);
    notifier_.SetClock([this] { return now_ms_; });
    notifier_.SetEnabled(true);
  }
  void TearDown() override {
    engine_.Stop();
    Settle(100);
  }

  // An axis 0..100, critical 80, whose n-th sample reads values[n-1].
  void AddCounter(const std::string& name, const std::string& path, std::vector<double> values) {
    std::vector<fake::Reading> readings;
    readings.push_back(fake::Value(values.front()));  // the priming collection's
    for (double v : values) readings.push_back(fake::Value(v));
    fake_.ScriptReadings(path, readings);
    ASSERT_TRUE(engine_.AddAxis(name, "", false, 0, 100, 80, 1, new CounterItem(path)));
  }

  void StartCollector() {
    ASSERT_TRUE(engine_.Start(nullptr, false));
    ASSERT_TRUE(WaitUntil([&] { return engine_.GetSampleCount() >= 1; }));
    Settle(50);
  }

  // Takes samples until `count` have ended, letting the notifier handle each.
  void SampleUntil(int count) {
    while (engine_.GetSampleCount() < count) {
      const int before = engine_.GetSampleCount();
      engine_.RequestResample();
      ASSERT_TRUE(WaitUntil([&] { return engine_.GetSampleCount() > before; }));
      Settle(60);
    }
  }

  test_support::TempFolder folder_;
  qint64 now_ms_ = 1'000'000;
  fake::FakeProvider fake_;
  AlertNotifier notifier_;
  AlertPoster poster_{notifier_};
  Corvane engine_{fake_, false, EngineHost{nullptr, nullptr, nullptr, &poster_}};
};

// Notification servers read the body as markup; names from a profile must stay text.
TEST(NotificationMarkupTest, EscapesWhatAServerWouldReadAsMarkup) {
  const struct {
    QString text;
    QString escaped;
  } cases[] = {
      {QStringLiteral("% CPU"), QStringLiteral("% CPU")},
      {QStringLiteral("<b>bold</b>"), QStringLiteral("&lt;b&gt;bold&lt;/b&gt;")},
      {QStringLiteral("<a href=\"http://x\">x</a>"),
       QStringLiteral("&lt;a href=&quot;http://x&quot;&gt;x&lt;/a&gt;")},
      {QStringLiteral("R&D's disk"), QStringLiteral("R&amp;D&apos;s disk")},
      {QStringLiteral("&amp;"), QStringLiteral("&amp;amp;")},
      {QStringLiteral("Plattenplatz \u00fcbrig\nzweite"),
       QStringLiteral("Plattenplatz \u00fcbrig\nzweite")},
      {QString(), QString()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EscapeNotificationMarkup(c.text), c.escaped) << c.text;
  }
}

TEST(NotificationMarkupTest, TheBodyCarriesNamesAndMachinesAsText) {
  const QList<AlertedCounter> counters = {
      {0, QStringLiteral("<i>CPU</i> & co"), QStringLiteral("db<1>"), QStringLiteral("95"),
       QStringLiteral("80")},
      {1, QStringLiteral("Disk"), QStringLiteral("db1"), QStringLiteral("N/A"),
       QStringLiteral("80")},
  };
  EXPECT_EQ(
      AlertNotifier::Body(counters),
      QStringLiteral("&lt;i&gt;CPU&lt;/i&gt; &amp; co on db&lt;1&gt;: 95 (critical value 80)\n"
                     "Disk on db1: N/A (critical value 80)"));
  // The summary is plain text to the server and names the counter as it is.
  EXPECT_EQ(AlertNotifier::Summary(counters.mid(0, 1)),
            QStringLiteral("Corvane: <i>CPU</i> & co is critical"));
}

TEST_F(AlertNotificationTest, WithoutANotificationServiceNothingBreaks) {
  ASSERT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(kService).value());
  int told = -1;
  QObject::connect(&notifier_, &AlertNotifier::alertCountChanged, [&](int n) { told = n; });
  AddCounter("CPU", "\\A\\cpu", {95, 95, 95, 10, 10});
  StartCollector();
  SampleUntil(3);
  Settle();
  EXPECT_EQ(told, 1) << "the count still reaches the tray";
  EXPECT_EQ(notifier_.shown_id(), 0U);
  SampleUntil(5);
  Settle();
  EXPECT_EQ(told, 0);
  EXPECT_EQ(notifier_.shown_id(), 0U);
}

TEST_F(AlertNotificationTest, OneNotificationUpdatedInPlaceAndClosed) {
  NotificationDaemon daemon(QString::fromStdString((folder_ / "calls.log").string()));
  ASSERT_TRUE(daemon.started());
  //                                 1   2   3   4   5   6   7   8   9  10
  AddCounter("CPU", "\\A\\cpu", /**/ {10, 95, 95, 95, 95, 95, 10, 10, 10, 10});
  AddCounter("Disk", "\\\\db1\\A\\disk", {10, 10, 10, 95, 95, 95, 95, 95, 10, 10});
  StartCollector();
  SampleUntil(3);
  EXPECT_TRUE(daemon.Calls().isEmpty()) << "two critical samples are no alert";
  SampleUntil(4);  // CPU enters
  ASSERT_TRUE(WaitUntil([&] { return daemon.Calls().size() == 1; })) << daemon.Calls().join("|");
  const quint32 id = notifier_.shown_id();
  EXPECT_NE(id, 0U);
  SampleUntil(6);   // Disk enters too: the same notification lists both
  SampleUntil(8);   // CPU leaves: Disk alone
  SampleUntil(10);  // Disk leaves: withdrawn
  ASSERT_TRUE(WaitUntil([&] { return daemon.Calls().size() == 4; })) << daemon.Calls().join("|");
  Settle();
  const QStringList calls = daemon.Calls();
  ASSERT_EQ(calls.size(), 4) << calls.join("\n");
  EXPECT_EQ(ReplacesId(calls[0]), "0");
  EXPECT_TRUE(calls[0].contains("\"Corvane: CPU is critical\"")) << calls[0];
  EXPECT_TRUE(calls[0].contains(": 95 (critical value 80)")) << calls[0];
  EXPECT_TRUE(calls[0].contains("\"urgency\": 2")) << calls[0];
  EXPECT_EQ(ReplacesId(calls[1]), QString::number(id)) << "updated in place";
  EXPECT_TRUE(calls[1].contains("2 counters are critical")) << calls[1];
  EXPECT_TRUE(calls[1].contains("Disk on db1: 95 (critical value 80)")) << calls[1];
  EXPECT_EQ(ReplacesId(calls[2]), QString::number(id));
  EXPECT_TRUE(calls[2].contains("\"Corvane: Disk is critical\"")) << calls[2];
  EXPECT_EQ(calls[3], QStringLiteral("CloseNotification %1").arg(id));
  EXPECT_EQ(notifier_.shown_id(), 0U);
}

TEST_F(AlertNotificationTest, ABurstIsOneNotificationAndACounterIsAnnouncedOnceAMinute) {
  NotificationDaemon daemon(QString::fromStdString((folder_ / "calls.log").string()));
  ASSERT_TRUE(daemon.started());
  const std::vector<double> flapping = {95, 95, 95, 10, 10, 95, 95, 95, 10, 10, 95, 95, 95};
  AddCounter("CPU", "\\A\\cpu", flapping);
  AddCounter("Disk", "\\A\\disk", flapping);
  AddCounter("Net", "\\A\\net", flapping);
  StartCollector();
  SampleUntil(3);  // all three at once
  ASSERT_TRUE(WaitUntil([&] { return daemon.Calls().size() == 1; }));
  EXPECT_TRUE(daemon.Calls()[0].contains("3 counters are critical")) << daemon.Calls()[0];
  SampleUntil(5);  // they leave: withdrawn
  ASSERT_TRUE(WaitUntil([&] { return daemon.Calls().size() == 2; }));
  EXPECT_TRUE(daemon.Calls()[1].startsWith("CloseNotification"));
  now_ms_ += 20'000;
  SampleUntil(8);  // back within the minute: not announced again
  Settle();
  EXPECT_EQ(daemon.Calls().size(), 2) << daemon.Calls().join("\n");
  SampleUntil(10);
  now_ms_ += 45'000;  // a minute since the announcement
  SampleUntil(13);
  ASSERT_TRUE(WaitUntil([&] { return daemon.Calls().size() == 3; })) << daemon.Calls().join("|");
  EXPECT_EQ(ReplacesId(daemon.Calls()[2]), "0") << "a new notification";
  EXPECT_TRUE(daemon.Calls()[2].contains("3 counters are critical"));
}

TEST_F(AlertNotificationTest, TurningItOffWithdrawsAndKeepsQuiet) {
  NotificationDaemon daemon(QString::fromStdString((folder_ / "calls.log").string()));
  ASSERT_TRUE(daemon.started());
  AddCounter("CPU", "\\A\\cpu", {95, 95, 95, 95, 95, 95, 10, 10});
  AddCounter("Disk", "\\A\\disk", {10, 10, 10, 95, 95, 95, 95, 95});
  StartCollector();
  SampleUntil(3);
  ASSERT_TRUE(WaitUntil([&] { return daemon.Calls().size() == 1; }));
  notifier_.SetEnabled(false);
  ASSERT_TRUE(WaitUntil([&] { return daemon.Calls().size() == 2; }));
  EXPECT_TRUE(daemon.Calls()[1].startsWith("CloseNotification"));
  SampleUntil(8);  // Disk enters, CPU leaves: nothing is shown
  Settle();
  EXPECT_EQ(daemon.Calls().size(), 2) << daemon.Calls().join("\n");
}

}  // namespace
}  // namespace corvane::desktop
