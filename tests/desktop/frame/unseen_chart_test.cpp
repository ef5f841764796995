// The chart while nobody can see it, as a user who keeps the monitor out of sight meets it: the
// real main frame on the offscreen platform, samples stored into the engine by hand and handed
// to the view through its engine window, as the collector does.
//   - minimised, hidden or fully covered, samples neither record nor paint the chart, and what
//     the window shows once it is back is the current picture, pixel for pixel the one a window
//     that stayed shown draws (built into the 200 % screen's test too, and into one run on a
//     real X server, where another window covers it; the restored pictures stay in the build
//     folder);
//   - while nothing wants the samples no sample wakes the GUI thread (nothing is posted to it);
//     a tray showing the rose wants them, and gets each new picture, while the window is
//     hidden;
//   - a screen reader listening to a minimised window still hears an axis turn critical.
#include <QAccessible>
#include <QBackingStore>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <functional>
#include <string>
#include <vector>

#include "desktop/frame/tray_controller.h"
#include "desktop/frame/tray_rose.h"
#include "tests/desktop/frame/stopped_chart_fixture.h"

namespace corvane::desktop::testing {
namespace {

class UnseenChartTest : public StoppedChartFixture {
 protected:
  UnseenChartTest() : StoppedChartFixture(QSize(420, 380)) {}

  static std::vector<double> Readings(double base) {
    std::vector<double> readings;
    for (int i = 0; i < kAxes; ++i) readings.push_back(base + 7 * i);
    return readings;
  }

  // What the window shows: the view's part of the window's backing store, in device pixels.
  QImage OnScreen() {
    QPaintDevice* store = frame().backingStore()->paintDevice();
    if (store == nullptr || store->devType() != QInternal::Image) {
      ADD_FAILURE() << "the backing store is not an image";
      return {};
    }
    const QImage& whole = *static_cast<QImage*>(store);
    const qreal ratio = view().devicePixelRatioF();
    const QRect part(view().mapTo(&frame(), QPoint(0, 0)), view().size());
    const QRect pixels(QPoint(qRound(part.x() * ratio), qRound(part.y() * ratio)),
                       QSize(qRound(part.width() * ratio), qRound(part.height() * ratio)));
    QImage shot = whole.copy(pixels).convertToFormat(QImage::Format_RGB32);
    shot.setDevicePixelRatio(ratio);
    return shot;
  }
  // The current picture drawn whole, as a window that stayed shown has it.
  QImage Current() { return view().grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// Where two pictures differ, for the failure message.
std::string Difference(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.devicePixelRatio() != b.devicePixelRatio()) {
    return "sizes " + std::to_string(a.width()) + "x" + std::to_string(a.height()) + "@" +
           std::to_string(a.devicePixelRatio()) + " and " + std::to_string(b.width()) + "x" +
           std::to_string(b.height()) + "@" + std::to_string(b.devicePixelRatio());
  }
  int differing = 0;
  QRect around;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) == b.pixel(x, y)) continue;
      ++differing;
      around |= QRect(x, y, 1, 1);
    }
  }
  return std::to_string(differing) + " pixels differ in " + std::to_string(around.x()) + "," +
         std::to_string(around.y()) + " " + std::to_string(around.width()) + "x" +
         std::to_string(around.height());
}

struct Concealment {
  const char* name;
  std::function<void(CMainFrame&)> conceal;
  std::function<void(CMainFrame&)> reveal;
};

TEST_F(UnseenChartTest, AnUnseenWindowNeitherRecordsNorPaintsAndComesBackCurrent) {
  // On X another window wholly covers it, placed over it by hand as no window manager runs.
  QWidget cover;
  cover.setWindowFlags(Qt::Window | Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
  std::vector<Concealment> ways = {
      {"hidden", [](CMainFrame& f) { f.hide(); }, [](CMainFrame& f) { f.show(); }},
  };
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    ways.push_back({"covered",
                    [&cover](CMainFrame& f) {
                      cover.setGeometry(f.frameGeometry().adjusted(-20, -20, 20, 20));
                      cover.show();
                    },
                    [&cover](CMainFrame&) { cover.hide(); }});
  } else {
    ways.push_back(
        {"minimised",
         [](CMainFrame& f) { f.setWindowState(f.windowState() | Qt::WindowMinimized); },
         [](CMainFrame& f) { f.setWindowState(f.windowState() & ~Qt::WindowMinimized); }});
  }
  double base = 5;
  for (const Concealment& way : ways) {
    SCOPED_TRACE(way.name);
    Sample(Readings(base));
    Sample(Readings(base + 1));
    ASSERT_TRUE(view().Seen());
    const QImage before = OnScreen();
    ASSERT_EQ(before, Current()) << "a shown window shows the current picture: "
                                 << Difference(before, Current());

    way.conceal(frame());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view().Seen(); }, 5000));
    Settle();
    const int recordings = view().layers().recordings();
    const int paints = view().paint_count();
    const int engine_samples = engine().GetSampleCount();
    const int posted = view().engine_window().PostedRequests();
    for (int i = 0; i < 4; ++i) Sample(Readings(base + 10 + 9 * i));
    EXPECT_EQ(view().layers().recordings(), recordings);
    EXPECT_EQ(view().paint_count(), paints);
    EXPECT_EQ(view().engine_window().PostedRequests(), posted)
        << "no sample wakes the GUI thread while nothing wants it";
    EXPECT_EQ(engine().GetSampleCount(), engine_samples + 4) << "the engine keeps sampling";

    way.reveal(frame());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view().Seen(); }, 5000));
    Settle();
    const QImage after = OnScreen();
    const QImage current = Current();
    EXPECT_EQ(after.devicePixelRatio(), current.devicePixelRatio());
    EXPECT_EQ(after.size(), current.size());
    EXPECT_NE(after, before) << "the samples meanwhile changed the picture";
    EXPECT_EQ(after, current) << "the window shows the picture as it is now: "
                              << Difference(after, current);
    EXPECT_GT(view().paint_count(), paints);
    after.save(QStringLiteral(CORVANE_SCREENSHOT_DIR "/unseen-%1-restored-%2x.png")
                   .arg(QLatin1String(way.name))
                   .arg(after.devicePixelRatio()));

    // A sample once it is back paints what it changed, as before.
    const int paints_back = view().paint_count();
    Sample(Readings(base + 50));
    EXPECT_EQ(view().paint_count(), paints_back + 1);
    EXPECT_EQ(OnScreen(), Current()) << Difference(OnScreen(), Current());
    base += 3;
  }
}

// As a user who keeps the monitor hidden meets it: with a tray the rose follows the samples,
// without one (or once it goes) nothing is drawn and nothing is posted to the GUI thread.
TEST_F(UnseenChartTest, AHiddenWindowHandsItsSamplesOnlyToATrayThatShowsTheRose) {
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    GTEST_SKIP() << "the tray is stood in for on the offscreen platform";
  }
  TrayController& tray = frame().tray();
  TrayRose& rose = *tray.rose();
  rose.SetIconGeometry(QSize(22, 22), 1.0);
  qint64 now_ms = 1'000'000;  // the rose draws at most once a second: samples a second apart
  rose.SetClock([&now_ms] { return now_ms; });
  tray.SetAvailable(true);
  tray.SetEnabled(true);
  frame().hide();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view().Seen(); }, 5000));
  Settle();

  struct Phase {
    const char* name;
    bool tray;
    bool posts;  // the samples reach the GUI thread
  };
  double base = 4;
  for (const Phase& phase :
       {Phase{"a tray shows the rose", true, true}, Phase{"no tray", false, false},
        Phase{"the tray is back", true, true}}) {
    SCOPED_TRACE(phase.name);
    tray.SetAvailable(phase.tray);
    Settle();
    const int posted = view().engine_window().PostedRequests();
    const int draws = rose.redraw_count();
    const int paints = view().paint_count();
    for (int i = 0; i < 3; ++i) {
      now_ms += 1000;
      Sample(Readings(base));
      base += 11;
    }
    EXPECT_EQ(view().paint_count(), paints) << "the chart is not drawn while hidden";
    if (phase.posts) {
      EXPECT_GE(view().engine_window().PostedRequests(), posted + 3);
      EXPECT_GE(rose.redraw_count(), draws + 2) << "each new picture is drawn";
      EXPECT_EQ(rose.pixmap().toImage(), TrayRose::Render(MakeTrayPicture(engine(), 22)))
          << "the rose shows the last sample";
    } else {
      EXPECT_EQ(view().engine_window().PostedRequests(), posted);
      EXPECT_EQ(rose.redraw_count(), draws);
    }
  }
}

TEST_F(UnseenChartTest, AScreenReaderStillHearsAnAxisTurnCriticalWhileMinimised) {
  if (!SetAccessibilityActive(true)) {
    GTEST_SKIP() << "Qt's accessibility cannot be switched on here";
  }
  AccessibilityEvents heard;
  QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(&view());
  ASSERT_NE(chart, nullptr);
  Sample(Readings(10));  // the first call takes note

  frame().setWindowState(frame().windowState() | Qt::WindowMinimized);
  Settle();
  ASSERT_FALSE(view().Seen());
  EXPECT_FALSE(view().engine_window().held()) << "a listener wants every sample";
  heard.Clear();
  std::vector<double> readings = Readings(10);
  readings[3] = 95;
  Sample(readings);
  EXPECT_EQ(heard.Count(QAccessible::Alert, chart->child(3)), 1);
  EXPECT_EQ(heard.Count(QAccessible::Alert), 1);
  EXPECT_EQ(heard.Count(QAccessible::DescriptionChanged, chart), 1) << "the summary";
  EXPECT_NE(chart->text(QAccessible::Description).indexOf(QStringLiteral("1 critical")), -1);
}

}  // namespace
}  // namespace corvane::desktop::testing
