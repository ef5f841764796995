// The tray icon as a live mini wind rose: drawn at the tray's size and the screen's scale, again
// only when the picture changes and at most once a second, never while no tray shows it, with axes
// in alert drawn wider (not only in another colour), and a tip that counts the alerts. Values are
// stored directly, as the collector stores them.
#include "desktop/frame/tray_rose.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QThread>
#include <utility>
#include <vector>

#include "core/counter_item.h"
#include "core/engine.h"
#include "core/tray_picture.h"
#include "platform/fake/fake_provider.h"

namespace corvane::desktop {
namespace {

class TrayRoseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_.SetUpNewProfile();
    engine_.RemoveAllAxes();
    for (int i = 0; i < 4; ++i) {
      ASSERT_TRUE(engine_.AddAxis("a" + std::to_string(i), "", false, 0, 100, 80, 1,
                                  new CounterItem("\\A\\c" + std::to_string(i))));
    }
    CorvaneSettings s = engine_.GetSettings();
    s.LogMode = log_mode::kOff;
    engine_.SetSettings(s);
    engine_.PrepareStatistics();
    rose_.SetClock([this] { return now_ms_; });
    rose_.SetIconGeometry(QSize(22, 22), 2.0);
    rose_.SetTrayProbe([this] {
      ++tray_asks_;
      return tray_;
    });
    QPixmap program(16, 16);
    program.fill(Qt::darkGreen);
    icon_.setIcon(QIcon(program));
    icon_.show();
  }

  void Sample(const std::vector<double>& values) {
    for (int i = 0; i < 4; ++i) engine_.SetValue(i, values[static_cast<std::size_t>(i)]);
    engine_.EndSample();
  }

  // Pixels drawn in any colour but the disc's: the lines, ring and markers, whatever colour.
  static int InkedPixels(const QImage& image, chart::Colour back) {
    const QRgb disc = qRgb(back & 0xFF, (back >> 8) & 0xFF, (back >> 16) & 0xFF);
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = image.pixel(x, y);
        if (qAlpha(pixel) == 255 && (pixel & 0xFFFFFF) != (disc & 0xFFFFFF)) ++inked;
      }
    }
    return inked;
  }

  fake::FakeProvider fake_;
  Corvane engine_{fake_, false};
  QSystemTrayIcon icon_;
  qint64 now_ms_ = 50'000;
  bool tray_ = true;  // whether the desktop has a tray
  int tray_asks_ = 0;
  TrayRose rose_{engine_, icon_};
};

TEST_F(TrayRoseTest, DrawnAtTheTraysSizeAndScaleOnlyWhenThePictureChanges) {
  Sample({10, 20, 30, 40});
  rose_.SampleEnded();
  ASSERT_EQ(rose_.redraw_count(), 1);
  EXPECT_EQ(rose_.pixmap().size(), QSize(44, 44)) << "22 pixels at a scale of 2";
  EXPECT_DOUBLE_EQ(rose_.pixmap().devicePixelRatio(), 2.0);
  const QImage first = rose_.pixmap().toImage();

  now_ms_ += 1500;
  Sample({10, 20, 30, 40});
  rose_.SampleEnded();
  EXPECT_EQ(rose_.redraw_count(), 1) << "equal values: the same picture, no redraw";
  EXPECT_FALSE(rose_.redraw_scheduled());

  now_ms_ += 1500;
  Sample({70, 20, 30, 40});
  rose_.SampleEnded();
  ASSERT_EQ(rose_.redraw_count(), 2);
  EXPECT_NE(rose_.pixmap().toImage(), first) << "the values moved the line";
}

TEST_F(TrayRoseTest, AtMostOneRedrawASecond) {
  Sample({10, 20, 30, 40});
  rose_.SampleEnded();
  ASSERT_EQ(rose_.redraw_count(), 1);
  now_ms_ += 500;
  Sample({60, 20, 30, 40});
  rose_.SampleEnded();
  EXPECT_EQ(rose_.redraw_count(), 1) << "too soon";
  EXPECT_TRUE(rose_.redraw_scheduled());
  Sample({61, 20, 30, 40});
  rose_.SampleEnded();  // joins the redraw already due
  QElapsedTimer waited;
  waited.start();
  while (rose_.redraw_count() == 1 && waited.elapsed() < 2000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  EXPECT_EQ(rose_.redraw_count(), 2) << "drawn once the second was over, with the last values";
  const TrayPicture latest = MakeTrayPicture(engine_, 44);
  Sample({61, 20, 30, 40});
  now_ms_ += 2000;
  rose_.SampleEnded();
  EXPECT_EQ(rose_.redraw_count(), 2) << "the deferred redraw drew the latest picture";
  EXPECT_EQ(MakeTrayPicture(engine_, 44), latest);
}

// Samples of a 1-second interval come a little early or late: each is drawn in the wake-up
// that brings it, none a moment later by a timer of its own.
TEST_F(TrayRoseTest, ASampleOfA1SecondIntervalIsDrawnWithoutASecondWakeUp) {
  Sample({10, 20, 30, 40});
  rose_.SampleEnded();
  ASSERT_EQ(rose_.redraw_count(), 1);
  // Each gap with values far enough apart to change the little picture.
  const std::pair<qint64, double> samples[] = {{998, 60},  {1003, 30}, {995, 70}, {1000, 35},
                                               {1001, 80}, {990, 40},  {1010, 90}};
  for (const auto& [gap, value] : samples) {
    SCOPED_TRACE(gap);
    now_ms_ += gap;
    Sample({value, 20, 30, 40});
    const int before = rose_.redraw_count();
    rose_.SampleEnded();
    EXPECT_EQ(rose_.redraw_count(), before + 1);
    EXPECT_FALSE(rose_.redraw_scheduled());
  }
}

TEST_F(TrayRoseTest, AxesInAlertAreWiderNotOnlyAnotherColour) {
  const std::vector<double> critical = {95, 20, 95, 40};
  Sample(critical);
  const TrayPicture before = MakeTrayPicture(engine_, 44);
  Sample(critical);
  Sample(critical);  // the third critical sample: two axes in alert
  const TrayPicture alert = MakeTrayPicture(engine_, 44);
  ASSERT_EQ(alert.alert_count, 2);
  EXPECT_EQ(alert.points, before.points) << "the same values";
  EXPECT_NE(alert, before);
  EXPECT_GT(alert.alert_width, 2 * alert.line_width);

  // With every line in one colour the alert still shows, as more ink.
  TrayPicture one_colour = alert;
  one_colour.critical = one_colour.current;
  TrayPicture plain = before;
  plain.critical = plain.current;
  const int plain_ink = InkedPixels(TrayRose::Render(plain), plain.back);
  const int alert_ink = InkedPixels(TrayRose::Render(one_colour), one_colour.back);
  EXPECT_GT(alert_ink, plain_ink + 40) << plain_ink << " vs " << alert_ink;

  rose_.SampleEnded();
  now_ms_ += 1500;
  Sample(critical);
  rose_.SampleEnded();
  EXPECT_EQ(rose_.redraw_count(), 1) << "nothing changed since";
}

TEST_F(TrayRoseTest, NeverDrawnWhileNoTrayShowsTheIcon) {
  struct Case {
    const char* name;
    bool tray;
    bool icon_shown;
  };
  for (const Case& c : {Case{"no tray host", false, true}, Case{"icon hidden", true, false},
                        Case{"neither", false, false}}) {
    SCOPED_TRACE(c.name);
    tray_ = c.tray;
    icon_.setVisible(c.icon_shown);
    rose_.TrayVisibilityChanged();
    const int draws = rose_.redraw_count();
    for (int i = 0; i < 6; ++i) {
      now_ms_ += 1000;
      Sample({10.0 + 10 * i, 20, 30, 95});
      rose_.SampleEnded();
    }
    EXPECT_EQ(rose_.redraw_count(), draws);
    EXPECT_FALSE(rose_.redraw_scheduled());
  }
  EXPECT_LE(tray_asks_, 3) << "the tray is not asked for at every sample";

  // A tray that shows it again gets the picture the samples meanwhile made, at once.
  tray_ = true;
  icon_.show();
  rose_.TrayVisibilityChanged();
  ASSERT_EQ(rose_.redraw_count(), 1);
  EXPECT_EQ(rose_.pixmap().toImage(), TrayRose::Render(MakeTrayPicture(engine_, 44)));
}

TEST_F(TrayRoseTest, ATrayThatGoesAwayIsNoticedWithinTheRecheck) {
  Sample({10, 20, 30, 40});
  rose_.SampleEnded();
  ASSERT_EQ(rose_.redraw_count(), 1);
  tray_ = false;  // the panel went away
  const int asks = tray_asks_;
  int draws_after = 0;
  for (qint64 waited = 0; waited <= TrayRose::kTrayRecheckMs + 2000; waited += 1000) {
    now_ms_ += 1000;
    Sample({static_cast<double>(waited % 90), 20, 30, 40});
    const int before = rose_.redraw_count();
    rose_.SampleEnded();
    if (waited > TrayRose::kTrayRecheckMs) draws_after += rose_.redraw_count() - before;
  }
  EXPECT_EQ(draws_after, 0);
  EXPECT_EQ(tray_asks_, asks + 1);
}

TEST_F(TrayRoseTest, TheTipCountsTheAlerts) {
  EXPECT_EQ(icon_.toolTip(), "Corvane - no counter in alert");
  rose_.SetAlertCount(1);
  EXPECT_EQ(icon_.toolTip(), "Corvane - 1 counter in alert");
  rose_.SetAlertCount(3);
  EXPECT_EQ(icon_.toolTip(), "Corvane - 3 counters in alert");
}

}  // namespace
}  // namespace corvane::desktop
