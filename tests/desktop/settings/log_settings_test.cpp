#include "desktop/settings/log_settings.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "tests/desktop/settings/settings_dialog_support.h"

namespace corvane::desktop {
namespace {

using qt_test::MessageBoxAnswerer;

class LogSettingsTest : public test_support::RunningEngine {
 protected:
  void Open() {
    dialog_ = std::make_unique<CLogSettings>(engine_, RecordHelp(), nullptr);
    dialog_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
  }
  void TypeSize(const QString& text) {
    dialog_->SizeEdit()->selectAll();
    QTest::keyClick(dialog_->SizeEdit(), Qt::Key_Backspace);
    QTest::keyClicks(dialog_->SizeEdit(), text);
  }
  void Pick(int id) {
    QTest::mouseClick(dialog_->findChild<QRadioButton*>(QStringLiteral("radio_%1").arg(id)),
                      Qt::LeftButton);
  }
  void Press(const char* text) { qt_test::PressButton(dialog_.get(), text); }

  std::unique_ptr<CLogSettings> dialog_;
};

TEST_F(LogSettingsTest, OpensOnTheEnginesLogSettings) {
  CorvaneSettings settings = engine_.GetSettings();
  settings.LogMode = log_mode::kEveryUpdate;
  settings.LogFormat = 1;
  settings.LogFileSize = 300;
  engine_.SetSettings(settings);
  Open();
  EXPECT_TRUE(
      qt_test::FindAccessible<QRadioButton>(dialog_.get(), QAccessible::RadioButton, "Everything")
          ->isChecked());
  EXPECT_TRUE(qt_test::FindAccessible<QRadioButton>(dialog_.get(), QAccessible::RadioButton, "CSV")
                  ->isChecked());
  EXPECT_EQ(dialog_->SizeEdit()->text(), "300");
}

struct Choice {
  const char* label;
  int mode_id;
  int format_id;
  const char* size;
  int mode, format, size_kb;
};

class LogSettingsChoiceTest : public LogSettingsTest,
                              public ::testing::WithParamInterface<Choice> {};

TEST_P(LogSettingsChoiceTest, OkStoresTheChoiceInTheEngine) {
  Open();
  Pick(GetParam().mode_id);
  Pick(GetParam().format_id);
  TypeSize(GetParam().size);
  Press("OK");
  EXPECT_EQ(dialog_->result(), QDialog::Accepted);
  const CorvaneSettings settings = engine_.GetSettings();
  EXPECT_EQ(settings.LogMode, GetParam().mode);
  EXPECT_EQ(settings.LogFormat, GetParam().format);
  EXPECT_EQ(settings.LogFileSize, GetParam().size_kb);
}

INSTANTIATE_TEST_SUITE_P(Choices, LogSettingsChoiceTest,
                         ::testing::Values(Choice{"NothingHtml", 1030, 1031, "1", 0, 0, 1},
                                           Choice{"EverythingCsv", 1028, 1032, "10240", 1, 1,
                                                  10240},
                                           Choice{"ValueChanges", 1029, 1031, "64", 2, 0, 64},
                                           Choice{"StateChanges", 1033, 1032, "512", 3, 1, 512}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(LogSettingsTest, SizesOutsideTheLimitsAreRefused) {
  for (const char* size : {"0", "10241", ""}) {
    Open();
    const CorvaneSettings before = engine_.GetSettings();
    Pick(1033);
    TypeSize(size);
    MessageBoxAnswerer answerer;
    Press("OK");
    ASSERT_EQ(answerer.texts().size(), 1u) << size;
    EXPECT_EQ(answerer.texts()[0],
              *size ? "Please enter an integer between 1 and 10240." : "Please enter an integer.");
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(dialog_->focusWidget(), dialog_->SizeEdit());
    EXPECT_EQ(engine_.GetSettings(), before);
  }
}

TEST_F(LogSettingsTest, CancelChangesNothing) {
  Open();
  const CorvaneSettings before = engine_.GetSettings();
  Pick(1030);
  TypeSize("7");
  Press("Cancel");
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_EQ(engine_.GetSettings(), before);
}

TEST_F(LogSettingsTest, HelpAsksForTheLogSettingsPage) {
  Open();
  Press("Help");
  EXPECT_EQ(help_topics_, std::vector<HelpTopicId>{HelpTopicId::kLogSettings});
}

}  // namespace
}  // namespace corvane::desktop
