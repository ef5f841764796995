#include "desktop/settings/options_dlg.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "desktop/settings/up_down_edit.h"
#include "tests/desktop/settings/settings_dialog_support.h"

namespace corvane::desktop {
namespace {

using qt_test::MessageBoxAnswerer;

class OptionsTest : public test_support::RunningEngine {
 protected:
  void Open() {
    if (engine_.GetAxisCount() == 0) StartDefaultProfile();
    dialog_ = std::make_unique<COptionsDlg>(engine_, &window_, RecordHelp(), nullptr);
    dialog_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
  }
  void Type(UpDownEdit* field, const QString& text) {
    field->Edit()->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
  }
  void Choose(QComboBox* list, const QString& item) {
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    for (int i = 0; i < list->count() && list->currentText() != item; ++i)
      QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentText(), item);
  }
  void Press(const char* text) { qt_test::PressButton(dialog_.get(), text); }

  std::unique_ptr<COptionsDlg> dialog_;
};

TEST_F(OptionsTest, OpensOnTheEnginesValuesWithApplyGreyed) {
  StartDefaultProfile();
  engine_.SetGridStep(25);
  engine_.SetCriticalBorder(70);
  engine_.SetLabelTrunc(1);
  Open();
  EXPECT_EQ(dialog_->IntervalEdit()->Edit()->text(), "2");
  EXPECT_EQ(dialog_->HistoryEdit()->Edit()->text(), "30");
  EXPECT_EQ(dialog_->GridStepList()->currentText(), "20");
  EXPECT_EQ(dialog_->CriticalRangeList()->currentText(), "70");
  EXPECT_TRUE(qt_test::FindAccessible<QRadioButton>(dialog_.get(), QAccessible::RadioButton,
                                                    "truncate in the end")
                  ->isChecked());
  EXPECT_FALSE(dialog_->ApplyButton()->isEnabled());
  Press("OK");
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  EXPECT_EQ(engine_.GetGridStep(), 20);
}

TEST_F(OptionsTest, EveryKindOfChangeEnablesApply) {
  Open();
  const std::vector<std::function<void()>> changes = {
      [&] { Type(dialog_->IntervalEdit(), "5"); },
      [&] { Type(dialog_->HistoryEdit(), "40"); },
      [&] { Choose(dialog_->CriticalRangeList(), "50"); },
      [&] { Choose(dialog_->GridStepList(), "30"); },
      [&] {
        QTest::mouseClick(qt_test::FindAccessible<QRadioButton>(
                              dialog_.get(), QAccessible::RadioButton, "no truncation"),
                          Qt::LeftButton);
      },
  };
  for (std::size_t i = 0; i < changes.size(); ++i) {
    Open();
    changes[i]();
    EXPECT_TRUE(dialog_->ApplyButton()->isEnabled()) << "change " << i;
  }
}

TEST_F(OptionsTest, NoneInBothListsRemovesBorderAndGrid) {
  Open();
  Choose(dialog_->CriticalRangeList(), "none");
  Choose(dialog_->GridStepList(), "none");
  Press("OK");
  EXPECT_EQ(engine_.GetCriticalBorder(), 0);
  EXPECT_EQ(engine_.GetGridStep(), 0);
}

struct BadFields {
  const char* label;
  const char* interval;
  const char* history;
  const char* message;
  bool history_focused;
};

class OptionsValidationTest : public OptionsTest,
                              public ::testing::WithParamInterface<BadFields> {};

TEST_P(OptionsValidationTest, ShowsOneMessageFocusesTheFieldAndChangesNothing) {
  Open();
  const CorvaneSettings before = engine_.GetSettings();
  Type(dialog_->IntervalEdit(), GetParam().interval);
  Type(dialog_->HistoryEdit(), GetParam().history);
  Choose(dialog_->GridStepList(), "50");
  for (const char* button : {"Apply", "OK"}) {
    MessageBoxAnswerer answerer;
    Press(button);
    ASSERT_EQ(answerer.texts().size(), 1u) << button;
    EXPECT_EQ(answerer.texts()[0], GetParam().message);
    EXPECT_EQ(answerer.titles()[0], "Corvane");
    EXPECT_TRUE(dialog_->isVisible());
    UpDownEdit* expected =
        GetParam().history_focused ? dialog_->HistoryEdit() : dialog_->IntervalEdit();
    // The up-down takes the focus for its edit.
    EXPECT_TRUE(dialog_->focusWidget() == expected || dialog_->focusWidget() == expected->Edit())
        << button;
  }
  EXPECT_EQ(engine_.GetSettings(), before);
  EXPECT_EQ(engine_.GetGridStep(), 20);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, OptionsValidationTest,
    ::testing::Values(
        BadFields{"IntervalZero", "0", "30", "Please enter an integer between 1 and 120.", false},
        BadFields{"IntervalTooLong", "121", "30", "Please enter an integer between 1 and 120.",
                  false},
        BadFields{"HistoryOne", "2", "1", "Please enter an integer between 2 and 120.", true},
        BadFields{"BothWrongHistoryFirst", "0", "1", "Please enter an integer between 2 and 120.",
                  true},
        BadFields{"IntervalEmpty", "", "30", "Please enter an integer.", false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(OptionsTest, ApplyRedrawsAtOnceGreysItselfAndCancelKeepsIt) {
  Open();
  Type(dialog_->IntervalEdit(), "9");
  Type(dialog_->HistoryEdit(), "12");
  Choose(dialog_->CriticalRangeList(), "60");
  QTest::mouseClick(qt_test::FindAccessible<QRadioButton>(dialog_.get(), QAccessible::RadioButton,
                                                          "no truncation"),
                    Qt::LeftButton);
  const int redraws = window_.Count();
  Press("Apply");
  EXPECT_GT(window_.Count(), redraws);
  EXPECT_FALSE(dialog_->ApplyButton()->isEnabled());
  Press("Cancel");
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_EQ(engine_.GetSettings().Interval, 9);
  EXPECT_EQ(engine_.GetSettings().History, 12);
  EXPECT_EQ(engine_.GetCriticalBorder(), 60);
  EXPECT_EQ(engine_.GetLabelTrunc(), 0);
}

TEST_F(OptionsTest, ArrowsStayInTheRangeAndTypingOnlyTakesDigits) {
  Open();
  UpDownEdit* interval = dialog_->IntervalEdit();
  Type(interval, "1");
  QTest::keyClick(interval, Qt::Key_Down);
  EXPECT_EQ(interval->Edit()->text(), "1");
  QTest::keyClick(interval, Qt::Key_Up);
  EXPECT_EQ(interval->Edit()->text(), "2");
  Type(interval, "4x-2");
  EXPECT_EQ(interval->Edit()->text(), "42");
}

TEST_F(OptionsTest, ArrowsStepFromWhatTheFieldShows) {
  // The stored interval sits at one end of the range; what is typed moves away from it, and
  // the arrow towards that end must still step from the typed value.
  struct Case {
    int stored;
    const char* typed;
    Qt::Key key;
    const char* expected;
  };
  for (const Case& c : {Case{120, "5", Qt::Key_Up, "6"}, Case{1, "60", Qt::Key_Down, "59"}}) {
    if (engine_.GetAxisCount() == 0) StartDefaultProfile();
    CorvaneSettings settings = engine_.GetSettings();
    settings.Interval = c.stored;
    engine_.SetSettings(settings);
    Open();
    UpDownEdit* interval = dialog_->IntervalEdit();
    ASSERT_EQ(interval->Edit()->text(), QString::number(c.stored));
    Type(interval, c.typed);
    QTest::keyClick(interval, c.key);
    EXPECT_EQ(interval->Edit()->text(), QString::fromLatin1(c.expected))
        << "stored " << c.stored << ", typed " << c.typed;
  }
}

TEST_F(OptionsTest, HelpAsksForThePreferencesPage) {
  Open();
  Press("Help");
  EXPECT_EQ(help_topics_, std::vector<HelpTopicId>{HelpTopicId::kPreferences});
}

TEST(UpDownEditTest, HoldingAnArrowStepsByTenAfterOneSecond) {
  using namespace std::chrono_literals;
  std::chrono::steady_clock::time_point now{};
  UpDownEdit edit(nullptr, [&] { return now; });
  edit.SetRange(1, 120);
  edit.SetPosition(1);
  // A held arrow: the first press, then the up-down's own repeat every 100 ms (Qt's repeat
  // timer calls stepBy; the test plays it with a clock of its own).
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
  QApplication::sendEvent(&edit, &press);
  for (int i = 1; i <= 12; ++i) {
    now += 100ms;
    edit.stepBy(1);
  }
  EXPECT_EQ(edit.Edit()->text(), QString::number(1 + 10 + 3 * 10));
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Up, Qt::NoModifier);
  QApplication::sendEvent(&edit, &release);
  now += 100ms;
  QKeyEvent again(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
  QApplication::sendEvent(&edit, &again);
  EXPECT_EQ(edit.Edit()->text(), "42") << "a new press starts again with step 1";
}

}  // namespace
}  // namespace corvane::desktop
