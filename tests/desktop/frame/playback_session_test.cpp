// A recording played back in the main window as a user meets it: File > Open Log... and a dropped
// log put the recording on the chart with the bar under it, the keys move through it, the
// caption, the status bar and the accessible axes tell the moment shown, and Esc (or a
// command that needs the live profile) brings back the live chart of the profile as it was.
#include "desktop/frame/playback_session.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <cstdio>

#include "core/counter_item.h"
#include "desktop/frame/command_ids.h"
#include "desktop/frame/corvane_view.h"
#include "tests/core/recording/recording_test_support.h"
#include "tests/desktop/desktop_test_support.h"

namespace corvane::desktop::testing {
namespace {

using testing_recording::ProfileText;
using testing_recording::WriteFile;

class PlaybackSessionTest : public DesktopFixture {
 protected:
  // "Night.crvn" and the CSV log it wrote: 120 rows, one a second from 2026-03-01 10:00:00;
  // "Load" reads k at row k, "Free" always 50.
  QString WriteRecording() {
    const std::filesystem::path folder = temp_ / "night";
    WriteFile(folder / "Night.crvn",
              ProfileText("Interval=1\r\nHistory=5\r\nLogMode=1\r\nLogFormat=1\r\n",
                          {{"Load", 100, 80, 1, false, "\\Test\\Load"},
                           {"Free", 100, 90, 1, false, "\\Test\\Free"}}));
    std::string log =
        "Corvane Log: Night\n\nStarted on Sunday 03/01/2026 at 09:59:59\nDate,Time,Load,Free\n";
    for (int k = 0; k < 120; ++k) {
      const int seconds = 36000 + k;
      char line[64];
      std::snprintf(line, sizeof line, "03/01,%02d:%02d:%02d,%d.00,50.00\n", seconds / 3600,
                    seconds / 60 % 60, seconds % 60, k);
      log += line;
    }
    const std::filesystem::path path = folder / "Logs" / "Night-log.csv";
    WriteFile(path, log);
    profile_ = QString::fromStdString((folder / "Night.crvn").string());
    return QString::fromStdString(path.string());
  }

  PlaybackSession& playback() { return frame().playback(); }
  QSlider* slider() { return playback().bar()->slider(); }
  QString AxisName(int index) {
    chart::Text name;
    engine().GetAxisName(index, &name);
    return name ? QString::fromUtf8(name->data(), static_cast<int>(name->size())) : QString();
  }
  QString Spoken(int axis) {
    QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(frame().view());
    return chart->child(axis)->text(QAccessible::Value);
  }
  double Current(int axis) {
    double value = -1;
    engine().GetSeriesValue(axis, &value, Corvane::kCurrentSeries);
    return value;
  }
  // The live chart is back: sampling, and the view repainted after a sample.
  void ExpectLiveAgain(int axes) {
    EXPECT_FALSE(playback().IsActive());
    EXPECT_FALSE(playback().bar()->isVisible());
    EXPECT_EQ(engine().GetAxisCount(), axes);
    const int delivered = frame().view()->engine_window().DeliveredRequests();
    QTRY_VERIFY_WITH_TIMEOUT(engine().GetSampleCount() >= 1, 8000);
    QTRY_VERIFY_WITH_TIMEOUT(frame().view()->engine_window().DeliveredRequests() > delivered, 3000);
    EXPECT_EQ(engine().GetStatusText(), "");
  }

  QString profile_;
};

TEST_F(PlaybackSessionTest, OpenLogShowsTheRecordingAndEscReturnsToTheLiveChart) {
  ASSERT_TRUE(StartProgram());
  const int live_axes = engine().GetAxisCount();
  const QString live_caption = frame().windowTitle();
  ASSERT_GT(live_axes, 2);
  dialogs_.open_log_path = WriteRecording();
  frame().action(cmd::kFileOpenLog)->trigger();
  WaitForStops();
  ASSERT_TRUE(playback().IsActive());
  EXPECT_TRUE(playback().bar()->isVisible());
  EXPECT_EQ(frame().focusWidget(), slider());
  ASSERT_EQ(engine().GetAxisCount(), 2);
  EXPECT_EQ(AxisName(0), "Load");
  EXPECT_EQ(frame().windowTitle(), "Night-log.csv (Recorded 2026-03-01 10:00:00) - Corvane");
  ASSERT_TRUE(QTest::qWaitFor([&] { return playback().controller().IsIndexed(); }, 5000));

  // A minute on, then one sample: row 61.
  const int delivered = frame().view()->engine_window().DeliveredRequests();
  QTest::keyClick(slider(), Qt::Key_PageDown);
  QTest::keyClick(slider(), Qt::Key_Right);
  EXPECT_EQ(Current(0), 61.0);
  EXPECT_EQ(Current(1), 50.0);
  EXPECT_EQ(Spoken(0), "61, average 59, maximum 61, critical value 80");
  EXPECT_EQ(Spoken(1), "50, average 50, maximum 50, critical value 90");
  EXPECT_EQ(frame().windowTitle(), "Night-log.csv (Recorded 2026-03-01 10:01:01) - Corvane");
  EXPECT_EQ(frame().statusBar()->findChild<QLabel*>()->text(), "Recorded 2026-03-01 10:01:01");
  EXPECT_EQ(slider()->value(), 61);
  QTRY_VERIFY_WITH_TIMEOUT(frame().view()->engine_window().DeliveredRequests() > delivered, 3000);
  // The engine takes no sample meanwhile.
  EXPECT_EQ(engine().GetSampleCount(), 0);

  QTest::keyClick(slider(), Qt::Key_Escape);
  EXPECT_EQ(frame().windowTitle(), live_caption);
  EXPECT_EQ(frame().statusBar()->findChild<QLabel*>()->text(), "Ready");
  ExpectLiveAgain(live_axes);
}

TEST_F(PlaybackSessionTest, CommandsOnTheLiveProfileWaitWhileTheWindowOptionsStayAtHand) {
  ASSERT_TRUE(StartProgram());
  frame().OpenLog(WriteRecording());
  WaitForStops();
  ASSERT_TRUE(playback().IsActive());
  for (const int id : {cmd::kFileSave, cmd::kFileSaveAs, cmd::kCounters, cmd::kPreferences,
                       cmd::kRestart, cmd::kConnect, cmd::kResetMax, cmd::kCleanLog,
                       cmd::kLogSettings, cmd::kViewLog, cmd::kShowValues, cmd::kBackColour}) {
    EXPECT_FALSE(frame().action(id)->isEnabled()) << id;
  }
  for (const int id : {cmd::kFileOpenLog, cmd::kFileNew, cmd::kFileOpen, cmd::kCaption,
                       cmd::kAlwaysOnTop, cmd::kStatusBar, cmd::kAppExit, cmd::kAbout}) {
    EXPECT_TRUE(frame().action(id)->isEnabled()) << id;
  }
  // A disabled command reached another way does nothing to the recording's chart.
  frame().OnCommand(cmd::kCounters);
  EXPECT_EQ(dialogs_.counters_runs, 0);

  // Open goes back to the live chart first; its save check is the live profile's.
  dialogs_.open_path = profile_;
  MessageBoxAnswerer discard({}, QMessageBox::Discard);
  frame().action(cmd::kFileOpen)->trigger();
  WaitForStops();
  EXPECT_FALSE(playback().IsActive());
  EXPECT_EQ(doc().PathName(), profile_);
  for (const int id : {cmd::kFileSave, cmd::kCounters, cmd::kShowValues})
    EXPECT_TRUE(frame().action(id)->isEnabled()) << id;
}

TEST_F(PlaybackSessionTest, TheLiveProfileComesBackWithItsUnsavedChangesAndTheWindowOptions) {
  ASSERT_TRUE(StartProgram());
  const QString saved = InFolder("Mine.crvn");
  ASSERT_TRUE(Saved(doc().SaveAs(saved)));
  QTRY_VERIFY_WITH_TIMEOUT(engine().Stop(), 8000);
  ASSERT_TRUE(engine().AddAxis("Extra", "", false, 0, 100, 80, 1, new CounterItem("\\Test\\Load")));
  CorvaneSettings logging = engine().GetSettings();
  logging.LogMode = 1;
  logging.LogFormat = 1;
  engine().SetSettings(logging);
  doc().TakeChartChanges();
  ASSERT_TRUE(doc().Start(false));
  const int axes = engine().GetAxisCount();
  ASSERT_TRUE(doc().IsModified());
  QTRY_VERIFY_WITH_TIMEOUT(engine().GetSampleCount() >= 1, 8000);
  QTRY_VERIFY_WITH_TIMEOUT(engine().Stop(), 8000);
  const std::filesystem::path live_log = engine().GetLogPath();
  const auto live_log_size = std::filesystem::file_size(live_log);

  const QString log = WriteRecording();
  const auto log_size = std::filesystem::file_size(log.toStdString());
  frame().OpenLog(log);
  WaitForStops();
  ASSERT_TRUE(playback().IsActive());
  // Neither the live profile's log nor the recording gets a line meanwhile.
  QTest::keyClick(slider(), Qt::Key_End);
  EXPECT_EQ(std::filesystem::file_size(live_log), live_log_size);
  EXPECT_EQ(std::filesystem::file_size(log.toStdString()), log_size);
  EXPECT_FALSE(frame().action(cmd::kAlwaysOnTop)->isChecked());
  frame().action(cmd::kAlwaysOnTop)->trigger();
  EXPECT_TRUE(frame().windowFlags().testFlag(Qt::WindowStaysOnTopHint));

  playback().bar()->leaveButton()->click();
  ExpectLiveAgain(axes);
  EXPECT_TRUE(doc().IsModified());
  EXPECT_EQ(AxisName(axes - 1), "Extra");
  EXPECT_EQ(doc().PathName(), saved);
  EXPECT_EQ(engine().GetSettings().AlwaysOntop, 1);
  EXPECT_TRUE(frame().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  // The profile's log is its own again, and the live samples go on in it.
  EXPECT_EQ(engine().GetLogPath(), live_log.string());
  EXPECT_EQ(engine().GetSettings().LogMode, 1);
  QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::file_size(live_log) > live_log_size, 8000);
  EXPECT_EQ(std::filesystem::file_size(log.toStdString()), log_size);
}

TEST_F(PlaybackSessionTest, ClosingDuringPlaybackSavesTheLiveProfileNotTheRecordingsAxes) {
  ASSERT_TRUE(StartProgram());
  const QString saved = InFolder("Mine.crvn");
  ASSERT_TRUE(Saved(doc().SaveAs(saved)));
  const int axes = engine().GetAxisCount();
  frame().OpenLog(WriteRecording());
  WaitForStops();
  ASSERT_TRUE(playback().IsActive());
  frame().close();
  StopProgram();
  Corvane probe(provider_, false);
  probe.SetUpNewProfile();
  probe.RemoveAllAxes();
  ASSERT_TRUE(probe.chart::WindRose::Load(saved.toStdString()));
  EXPECT_EQ(probe.GetAxisCount(), axes);
}

TEST_F(PlaybackSessionTest, ADroppedLogPlaysBackAndADroppedProfileOpensAsBefore) {
  ASSERT_TRUE(StartProgram());
  const QString log = WriteRecording();
  const auto drop = [&](const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent event(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame(), &event);
  };
  drop(log);
  QTRY_VERIFY_WITH_TIMEOUT(playback().IsActive(), 8000);
  EXPECT_EQ(AxisName(1), "Free");

  MessageBoxAnswerer discard({}, QMessageBox::Discard);
  drop(profile_);
  QTRY_COMPARE_WITH_TIMEOUT(doc().PathName(), profile_, 8000);
  EXPECT_FALSE(playback().IsActive());
  EXPECT_EQ(engine().GetAxisCount(), 2);
}

TEST_F(PlaybackSessionTest, ALogThatCannotBeShownSaysWhyAndTheLiveChartStays) {
  ASSERT_TRUE(StartProgram());
  const int axes = engine().GetAxisCount();
  const std::filesystem::path broken = temp_ / "broken.csv";
  WriteFile(broken, std::string("\x7f"
                                "ELF\x01\x02 not a log",
                                16));
  struct Case {
    const char* name;
    QString path;
  };
  for (const Case& c : {Case{"garbage", QString::fromStdString(broken.string())},
                        Case{"missing", QString::fromStdString((temp_ / "none.csv").string())}}) {
    MessageBoxAnswerer ok({}, QMessageBox::Ok);
    dialogs_.open_log_path = c.path;
    frame().action(cmd::kFileOpenLog)->trigger();
    WaitForStops();
    QTRY_COMPARE_WITH_TIMEOUT(ok.texts().size(), 1, 3000);
    EXPECT_TRUE(ok.texts()[0].startsWith("Cannot play back the log " + c.path + ": "))
        << c.name << ": " << ok.texts()[0].toStdString();
    ExpectLiveAgain(axes);
  }
}

// Speech control reaches a button by what it shows: the accessible name of every button of the
// window and its bars holds its visible label, in each state the label can take.
TEST_F(PlaybackSessionTest, EveryButtonOfTheWindowAndItsBarsIsNamedByWhatItShows) {
  ASSERT_TRUE(StartProgram());
  frame().OpenLog(WriteRecording());
  WaitForStops();
  ASSERT_TRUE(playback().IsActive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return playback().controller().IsIndexed(); }, 5000));
  const auto expect_named = [&](const char* state) {
    int labelled = 0;
    for (QAbstractButton* button : frame().findChildren<QAbstractButton*>()) {
      QString label = button->text();
      label.remove(QLatin1Char('&'));
      if (label.isEmpty() || !button->isVisible()) continue;
      ++labelled;
      EXPECT_TRUE(button->accessibleName().contains(label))
          << state << ": " << button->objectName().toStdString() << " shows \""
          << label.toStdString() << "\" but is named \"" << button->accessibleName().toStdString()
          << "\"";
    }
    EXPECT_GE(labelled, 2) << state;  // at least the bar's play and leave buttons
  };
  expect_named("paused");
  playback().bar()->playButton()->click();
  ASSERT_TRUE(playback().controller().IsPlaying());
  expect_named("playing");
  playback().bar()->playButton()->click();
}

// Started with a log in place of a profile, the program plays it over the profile beside it;
// leaving the recording goes on with that profile's live chart, or a new one when the log has
// none beside it.
TEST_F(PlaybackSessionTest, StartedWithALogLeavingItOpensTheProfileThatWroteIt) {
  const QString log = WriteRecording();
  const std::filesystem::path alone = temp_ / "alone" / "Alone-log.csv";
  std::filesystem::create_directories(alone.parent_path());
  std::filesystem::copy_file(log.toStdString(), alone);
  struct Case {
    const char* name;
    QString log;
    QString profile;  // the live profile after leaving
    int axes;         // its axes; 0 for a new profile's own
  };
  const Case cases[] = {
      // First: the program's start opens the last profile, once there is one.
      {"alone", QString::fromStdString(alone.string()), InFolder("MyProfile.crvn"), 0},
      {"beside its profile", log, profile_, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(StartProgram({c.log}));
    WaitForStops();
    QTRY_VERIFY_WITH_TIMEOUT(playback().IsActive(), 8000);
    EXPECT_EQ(AxisName(0), "Load");
    QTest::keyClick(slider(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!playback().IsActive(), 8000);
    WaitForStops();
    EXPECT_EQ(doc().PathName().toStdString(), c.profile.toStdString());
    if (c.axes > 0) {
      ExpectLiveAgain(c.axes);
      EXPECT_EQ(AxisName(1), "Free");
      EXPECT_TRUE(frame().windowTitle().startsWith("Night.crvn"))
          << frame().windowTitle().toStdString();
    } else {
      EXPECT_GT(engine().GetAxisCount(), 2);
      EXPECT_NE(AxisName(0), "Load");
    }
    StopProgram();
  }
}

}  // namespace
}  // namespace corvane::desktop::testing
