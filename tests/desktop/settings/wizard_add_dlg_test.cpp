#include "desktop/settings/wizard_add_dlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/desktop/settings/settings_dialog_support.h"

namespace corvane::desktop {
namespace {

using testing_support::Axes;
using testing_support::AxisNames;
using testing_support::WaitFor;

class WizardTest : public test_support::RunningEngine {
 protected:
  void Open() {
    StartDefaultProfile();
    dialog_ = std::make_unique<CWizardAddDlg>(engine_, &window_, RecordHelp(), nullptr);
    dialog_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
  }
  void Click(int id) {
    QCheckBox* box = dialog_->Box(id);
    ASSERT_NE(box, nullptr) << id;
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    WaitForStops();
  }
  // A click's stop waits in the event loop with the wizard disabled.
  void WaitForStops() { QTRY_VERIFY_WITH_TIMEOUT(dialog_->isEnabled(), 10000); }
  void Press(const char* text) {
    if (qt_test::PressButton(dialog_.get(), text)) WaitForStops();
  }
  // The chart shows the defaults of a new profile.
  void ExpectDefaultProfile() {
    EXPECT_EQ(Axes(engine_), default_axes_);
    const CorvaneSettings settings = engine_.GetSettings();
    EXPECT_EQ(settings, DefaultSettings(engine_.GetScreenSize()));
    EXPECT_EQ(engine_.GetGridStep(), 20);
    EXPECT_EQ(engine_.GetShowNames(), 1);
    EXPECT_EQ(engine_.GetShowValues(), 1);
  }

  std::unique_ptr<CWizardAddDlg> dialog_;
};

TEST_F(WizardTest, BoxesStartOnTheDefaultMask) {
  Open();
  EXPECT_EQ(dialog_->CounterMask(), SC_DEFAULT);
  EXPECT_EQ(dialog_->windowTitle(), "Create Monitoring Profile - Corvane Wizard");
}

TEST_F(WizardTest, OkAtOnceLeavesTheDefaultProfile) {
  Open();
  Press("OK");
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  ExpectDefaultProfile();
  const CorvaneSettings settings = engine_.GetSettings();
  EXPECT_EQ(settings.ShowCurrent, 1);
  EXPECT_EQ(settings.ShowAverage, 1);
  EXPECT_EQ(settings.ShowMax, 0);
  EXPECT_EQ(settings.BoldAvg, 1);
}

TEST_F(WizardTest, UncheckingEveryCounterLeavesNoAxes) {
  Open();
  for (const auto& spec : CWizardAddDlg::kCounterBoxes) {
    if (spec.initially) Click(spec.id);
  }
  EXPECT_EQ(dialog_->CounterMask(), 0u);
  EXPECT_EQ(engine_.GetAxisCount(), 0);
  Press("OK");
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(engine_.GetAxisCount(), 0);
}

TEST_F(WizardTest, EachCounterBoxAddsItsGroupOnTheLiveChart) {
  Open();
  const int before = engine_.GetAxisCount();
  Click(1047);  // "Each disk space usage": C: and D:
  EXPECT_EQ(engine_.GetAxisCount(), before + 2);
  Click(1044);  // "Network utilization": eth0
  EXPECT_EQ(engine_.GetAxisCount(), before + 3);
  Click(1048);  // "CPU utilization" off: two processors
  EXPECT_EQ(engine_.GetAxisCount(), before + 1);
  EXPECT_EQ(dialog_->CounterMask(), (SC_DEFAULT | SC_EACH_DISK_SPACE | SC_NETWORK) & ~SC_CPU);
  EXPECT_GE(window_.Count(), 3) << "the chart was not redrawn";
}

TEST_F(WizardTest, EachDiskOnAndOffGivesTheSameAxesWithFreshStatistics) {
  Open();
  CorvaneSettings settings = engine_.GetSettings();
  settings.Interval = 1;
  engine_.SetSettings(settings);
  engine_.RequestResample();
  ASSERT_TRUE(WaitFor([&] { return engine_.GetSampleCount() > 0; }));
  const auto before = Axes(engine_);
  Click(1047);
  Click(1047);
  EXPECT_EQ(Axes(engine_), before);
  EXPECT_EQ(engine_.GetSampleCount(), 0);
}

TEST_F(WizardTest, NetworkOnALoopbackOnlyMachineAddsNoAxis) {
  ScriptMachine({{"MS TCP Loopback interface", 10'000'000.0}});
  Open();
  const auto before = AxisNames(engine_);
  Click(1044);
  EXPECT_TRUE(dialog_->Box(1044)->isChecked());
  EXPECT_EQ(AxisNames(engine_), before);
}

TEST_F(WizardTest, VisualBoxesChangeTheSettingsWhileSamplingGoesOn) {
  Open();
  Click(1053);  // "Maximal values (cyan)"
  Click(1054);  // "Bold current line"
  Click(1059);  // "Bold average line" off
  Click(1055);  // "Axis names" off
  Click(1057);  // "Measured values" off
  const CorvaneSettings settings = engine_.GetSettings();
  EXPECT_EQ(settings.ShowMax, 1);
  EXPECT_EQ(settings.BoldCur, 1);
  EXPECT_EQ(settings.BoldAvg, 0);
  EXPECT_EQ(engine_.GetShowNames(), 0);
  EXPECT_EQ(engine_.GetShowValues(), 0);
  EXPECT_EQ(Axes(engine_), default_axes_);
  EXPECT_EQ(fake_.Counts().open_query_calls, 1) << "a visual click restarted the collector";
}

TEST_F(WizardTest, GridCirclesOffAndOnAgainGiveZeroAndTwenty) {
  Open();
  Click(1058);
  EXPECT_EQ(engine_.GetGridStep(), 0);
  engine_.SetGridStep(30);
  Click(1058);
  EXPECT_EQ(engine_.GetGridStep(), 20);
}

TEST_F(WizardTest, CancelRestoresTheDefaultCountersAndEverySetting) {
  for (const bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "Cancel");
    Open();
    CorvaneSettings settings = engine_.GetSettings();
    settings.Interval = 7;
    settings.CurColor = 0x123456;
    engine_.SetSettings(settings);
    Click(1044);
    Click(1048);
    Click(1058);
    Click(1054);
    if (escape) {
      QTest::keyClick(dialog_.get(), Qt::Key_Escape);
      WaitForStops();
    } else {
      Press("Cancel");
    }
    EXPECT_EQ(dialog_->result(), QDialog::Rejected);
    ExpectDefaultProfile();
    EXPECT_TRUE(WaitFor([&] { return engine_.Stop(); })) << "the collector was not started again";
  }
}

TEST_F(WizardTest, CountersButtonEndsWithEighteenAndKeepsTheSelection) {
  Open();
  Click(1044);
  Click(1041);
  const auto shown = Axes(engine_);
  Press("Counters...");
  EXPECT_EQ(dialog_->result(), CWizardAddDlg::kCountersResult);
  EXPECT_EQ(Axes(engine_), shown);
}

TEST_F(WizardTest, HelpAsksForTheWizardsPage) {
  Open();
  Press("Help");
  EXPECT_EQ(help_topics_, std::vector<HelpTopicId>{HelpTopicId::kWizard});
  EXPECT_TRUE(dialog_->isVisible());
}

TEST_F(WizardTest, ACollectorThatCannotStopPutsTheBoxBack) {
  // A counter on a machine that takes long to connect keeps the collector starting, and a
  // starting collector cannot be stopped.
  engine_.SetUpNewProfile();
  engine_.RemoveAllAxes();
  testing_support::AddCounterAxis(engine_, "slow", "\\\\slow\\Processor(_Total)\\% Processor Time");
  fake_.ScriptConnect("\\\\slow", perf::kOk, std::chrono::seconds(30));
  ASSERT_TRUE(engine_.Start(&window_, false));
  ASSERT_TRUE(WaitFor([&] { return fake_.Counts().calls_in_delay == 1; }));
  CWizardAddDlg dialog(engine_, &window_, RecordHelp(), nullptr);
  dialog.show();
  qt_test::MessageBoxAnswerer answerer;
  QCheckBox* network = dialog.Box(1044);
  QTest::mouseClick(network, Qt::LeftButton, {}, QPoint(6, network->height() / 2));
  QTRY_VERIFY_WITH_TIMEOUT(!answerer.texts().empty(), 10000);
  EXPECT_FALSE(network->isChecked());
  EXPECT_EQ(AxisNames(engine_), std::vector<std::string>{"slow"});
  ASSERT_EQ(answerer.texts().size(), 1u);
  EXPECT_TRUE(answerer.texts()[0].startsWith("Cannot stop counter collecting process."));
  EXPECT_EQ(answerer.titles()[0], "Corvane");
}

TEST_F(WizardTest, TheWindowsRunOnWhileACollectorIsAskedToStop) {
  // A collector still connecting a slow machine refuses to stop for as long as the connection
  // takes; the stop is asked again meanwhile, without holding up the GUI thread.
  engine_.SetUpNewProfile();
  engine_.RemoveAllAxes();
  testing_support::AddCounterAxis(engine_, "slow", "\\\\slow\\Processor(_Total)\\% Processor Time");
  fake_.ScriptConnect("\\\\slow", perf::kOk, std::chrono::seconds(30));
  engine_.SetStopLimit(std::chrono::milliseconds(1500));
  ASSERT_TRUE(engine_.Start(&window_, false));
  ASSERT_TRUE(WaitFor([&] { return fake_.Counts().calls_in_delay == 1; }));
  CWizardAddDlg dialog(engine_, &window_, RecordHelp(), nullptr);
  dialog.show();
  qt_test::MessageBoxAnswerer answerer;
  QCheckBox* network = dialog.Box(1044);
  // What a timer due shortly after the click sees: the event loop runs while the stop waits,
  // the wizard takes no clicks meanwhile and the box still shows the click.
  bool timer_ran = false;
  bool wizard_enabled = true;
  bool box_as_clicked = false;
  int messages_then = -1;
  QTimer::singleShot(100, &dialog, [&] {
    timer_ran = true;
    wizard_enabled = dialog.isEnabled();
    box_as_clicked = network->isChecked();
    messages_then = static_cast<int>(answerer.texts().size());
  });
  QTest::mouseClick(network, Qt::LeftButton, {}, QPoint(6, network->height() / 2));
  QTRY_VERIFY_WITH_TIMEOUT(timer_ran, 10000);
  EXPECT_FALSE(wizard_enabled);
  EXPECT_TRUE(box_as_clicked);
  EXPECT_EQ(messages_then, 0);
  // Once the stop gives up: the box goes back, message 61210, the wizard takes clicks again.
  QTRY_COMPARE_WITH_TIMEOUT(answerer.texts().size(), 1, 10000);
  EXPECT_TRUE(answerer.texts()[0].startsWith("Cannot stop counter collecting process."));
  EXPECT_FALSE(network->isChecked());
  EXPECT_TRUE(dialog.isEnabled());
  EXPECT_EQ(AxisNames(engine_), std::vector<std::string>{"slow"});
}

}  // namespace
}  // namespace corvane::desktop
