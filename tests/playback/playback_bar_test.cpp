// The playback bar as a user meets it: keys on the time slider, the slider dragged, play and
// pause at a chosen speed on a clock the test moves, the texts naming the moment, and the way
// back to the live chart.
#include "desktop/playback/playback_bar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "core/recording/local_seconds.h"
#include "desktop/playback/playback_controller.h"
#include "platform/qt/object_name.h"
#include "tests/support/temp_folder.h"

namespace corvane::playback {
namespace {

// A CSV log of `rows` rows from 2026-03-01 10:00:00, one every `step` seconds; the value of
// row k is k.
std::string Log(int rows, int step) {
  std::string text =
      "Corvane Log: Night\n\nStarted on Sunday 03/01/2026 at 09:59:59\nDate,Time,Rows\n";
  for (int k = 0; k < rows; ++k) {
    const int seconds = 36000 + k * step;
    char line[64];
    std::snprintf(line, sizeof line, "03/01,%02d:%02d:%02d,%d.00\n", seconds / 3600,
                  seconds / 60 % 60, seconds % 60, k);
    text += line;
  }
  return text;
}

class PlaybackBarTest : public ::testing::Test {
 protected:
  PlaybackBarTest() {
    chart_.AddSeries("Max Values", "");
    chart_.AddSeries("Historical Values", "");
    chart_.AddSeries("Current Values", "");
    chart_.AddAxis("Rows", "", false, 0, 1000, 800, 1, nullptr);
  }

  // Opens a log in `mode` (interval 2 s for the change modes) and waits for its index.
  void Open(int rows, int mode) {
    const std::filesystem::path path = folder_ / "Night-log.csv";
    std::ofstream(path) << Log(rows, mode == 1 ? 1 : 6);
    recording::RecordingSettings settings;
    settings.axes.push_back({"Rows", 0, 1000, 800, 1, false});
    settings.interval = mode == 1 ? 1 : 2;
    settings.history = 5;
    settings.mode = mode;
    settings.from_profile = true;
    QString error;
    ASSERT_TRUE(controller_.Open(QString::fromStdString(path.string()), settings, &error))
        << error.toStdString();
    bar_.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller_.IsIndexed(); }, 5000));
    QApplication::processEvents();
    bar_.slider()->setFocus();
  }

  double Shown() const {
    double value = -1;
    chart_.GetSeriesValue(0, &value, 2);
    return value;
  }
  std::int64_t Start() const { return *recording::ParseLocalSeconds("2026-03-01 10:00:00"); }
  std::int64_t Shown_time() const { return controller_.CurrentTime() - Start(); }

  test_support::TempFolder folder_;
  chart::WindRose chart_{32, 4};
  std::int64_t clock_ms_ = 1000;
  PlaybackController controller_{chart_, nullptr, [this] { return clock_ms_; }};
  PlaybackBar bar_{controller_};
};

TEST_F(PlaybackBarTest, KeysStepBySampleAndByMinute) {
  Open(300, 1);
  EXPECT_EQ(bar_.momentLabel()->text(), "Recorded 2026-03-01 10:00:00");
  EXPECT_EQ(Shown(), 0.0);
  struct Step {
    int key;
    std::int64_t seconds;  // after the start
  };
  for (const Step step :
       {Step{Qt::Key_Right, 1}, Step{Qt::Key_Right, 2}, Step{Qt::Key_PageDown, 62},
        Step{Qt::Key_Left, 61}, Step{Qt::Key_PageUp, 1}, Step{Qt::Key_End, 299},
        Step{Qt::Key_Right, 299}, Step{Qt::Key_Home, 0}, Step{Qt::Key_Left, 0}}) {
    QTest::keyClick(bar_.slider(), static_cast<Qt::Key>(step.key));
    EXPECT_EQ(Shown_time(), step.seconds) << "key " << step.key;
    EXPECT_EQ(Shown(), static_cast<double>(step.seconds)) << "the chart shows that row";
    EXPECT_EQ(bar_.slider()->value(), step.seconds);
  }
  QTest::keyClick(bar_.slider(), Qt::Key_PageDown);
  EXPECT_EQ(bar_.momentLabel()->text(), "Recorded 2026-03-01 10:01:00");
  EXPECT_EQ(bar_.slider()->accessibleDescription(), "Recorded 2026-03-01 10:01:00");
}

TEST_F(PlaybackBarTest, TheSliderShowsTheMomentAtItsPlace) {
  Open(300, 1);
  EXPECT_EQ(bar_.slider()->minimum(), 0);
  EXPECT_EQ(bar_.slider()->maximum(), 299);
  QTest::mouseClick(bar_.slider(), Qt::LeftButton, {},
                    QPoint(bar_.slider()->width() - 1, bar_.slider()->height() / 2));
  const int value = bar_.slider()->value();
  EXPECT_GT(value, 0) << "a click moves the slider";
  EXPECT_EQ(Shown_time(), value);
  EXPECT_EQ(Shown(), static_cast<double>(value));
  bar_.slider()->setValue(120);
  EXPECT_EQ(Shown(), 120.0);
  EXPECT_EQ(bar_.momentLabel()->text(), "Recorded 2026-03-01 10:02:00");
}

TEST_F(PlaybackBarTest, PlayMovesAtTheChosenSpeedAndStopsAtTheEnd) {
  Open(300, 1);
  bar_.speedBox()->setCurrentIndex(bar_.speedBox()->findText("60x"));
  QTest::mouseClick(bar_.playButton(), Qt::LeftButton);
  EXPECT_TRUE(controller_.IsPlaying());
  EXPECT_EQ(bar_.playButton()->accessibleName(), "Pause");
  clock_ms_ += 1000;
  ASSERT_TRUE(QTest::qWaitFor([&] { return Shown_time() == 60; }, 2000)) << Shown_time();
  EXPECT_EQ(Shown(), 60.0);

  QTest::keyClick(bar_.slider(), Qt::Key_Space);  // pause
  EXPECT_FALSE(controller_.IsPlaying());
  EXPECT_EQ(bar_.playButton()->accessibleName(), "Play");
  clock_ms_ += 5000;
  QTest::qWait(120);
  EXPECT_EQ(Shown_time(), 60) << "paused: the moment stays";

  bar_.speedBox()->setCurrentIndex(bar_.speedBox()->findText("3600x"));
  QTest::keyClick(bar_.slider(), Qt::Key_Space);
  clock_ms_ += 1000;
  ASSERT_TRUE(QTest::qWaitFor([&] { return !controller_.IsPlaying(); }, 2000));
  EXPECT_EQ(Shown_time(), 299) << "played to the end and stopped";
}

TEST_F(PlaybackBarTest, AChangeLogStepsByTheIntervalAndHoldsTheEarlierRow) {
  Open(50, 2);  // rows every 6 s, samples every 2 s
  QTest::keyClick(bar_.slider(), Qt::Key_Right);
  EXPECT_EQ(Shown_time(), 2);
  EXPECT_EQ(Shown(), 0.0) << "between rows the earlier row holds";
  QTest::keyClick(bar_.slider(), Qt::Key_Right);
  QTest::keyClick(bar_.slider(), Qt::Key_Right);
  EXPECT_EQ(Shown_time(), 6);
  EXPECT_EQ(Shown(), 1.0);
  EXPECT_EQ(bar_.momentLabel()->text(), "Recorded 2026-03-01 10:00:06");
}

TEST_F(PlaybackBarTest, AStateLogSaysThatOnlyChangesOfStateWereRecorded) {
  Open(50, 3);
  EXPECT_EQ(bar_.momentLabel()->text(),
            "Recorded 2026-03-01 10:00:00. Only the moments at which a counter changed its "
            "state were recorded");
}

TEST_F(PlaybackBarTest, EveryControlHasAnAccessibleNameAndLeavingAsksForTheLiveChart) {
  Open(10, 1);
  EXPECT_EQ(bar_.slider()->accessibleName(), "Recorded time");
  EXPECT_EQ(bar_.playButton()->accessibleName(), "Play");
  EXPECT_EQ(bar_.speedBox()->accessibleName(), "Playback speed");
  EXPECT_EQ(bar_.leaveButton()->accessibleName(), "Live Chart");
  EXPECT_EQ(bar_.leaveButton()->accessibleDescription(),
            "Leave the recording and show the live chart again");
  EXPECT_EQ(bar_.momentLabel()->accessibleName(), "Moment shown");
  EXPECT_EQ(bar_.speedBox()->count(), 5);
  EXPECT_EQ(bar_.speedBox()->itemText(0), "1x");
  EXPECT_EQ(bar_.speedBox()->itemText(4), "3600x");

  QSignalSpy leave(&bar_, &PlaybackBar::leaveRequested);
  QSignalSpy closed(&controller_, &PlaybackController::closed);
  QObject::connect(&bar_, &PlaybackBar::leaveRequested, &controller_, &PlaybackController::Close);
  QTest::mouseClick(bar_.leaveButton(), Qt::LeftButton);
  EXPECT_EQ(leave.count(), 1);
  EXPECT_EQ(closed.count(), 1);
  EXPECT_FALSE(controller_.IsOpen());
}

TEST_F(PlaybackBarTest, EveryControlIsNamedInTheOneScheme) {
  QStringList names{bar_.objectName()};
  for (QObject* child : bar_.findChildren<QObject*>()) {
    const QString& name = child->objectName();
    if (!name.isEmpty() && !name.startsWith("qt_") && !name.startsWith("_q_")) names << name;
  }
  for (const QString& name : names) EXPECT_TRUE(qt::FollowsNameScheme(name)) << name.toStdString();
  for (const char* name : {"bar_playback", "button_play", "label_start", "label_end", "slider_time",
                           "combo_speed", "label_moment", "button_leave"})
    EXPECT_TRUE(names.contains(name)) << name << " missing";
}

TEST_F(PlaybackBarTest, ADamagedLogIsReportedAndPlaysUpToTheDamage) {
  const std::filesystem::path path = folder_ / "Cut-log.csv";
  std::ofstream(path) << Log(20, 1) << "03/01,10:00:20,5";
  QSignalSpy problems(&controller_, &PlaybackController::problem);
  QString error;
  ASSERT_TRUE(controller_.Open(QString::fromStdString(path.string()), std::nullopt, &error));
  ASSERT_TRUE(QTest::qWaitFor([&] { return problems.count() == 1; }, 5000));
  EXPECT_TRUE(problems.at(0).at(0).toString().endsWith(
      "line 25: the last line is cut off (it has no line end); the recording ends there"))
      << problems.at(0).at(0).toString().toStdString();
  EXPECT_EQ(controller_.EndTime() - Start(), 19);
}

}  // namespace
}  // namespace corvane::playback
