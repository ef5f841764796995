// Every dialog of the desktop program from the keyboard and at a large font: each field has a
// label bound to it, no two controls share a mnemonic, Tab reaches every control, Escape
// cancels, and no label or button is narrower than its text with the font doubled.
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <functional>
#include <memory>

#include "desktop/counters/computer_dlg.h"
#include "desktop/counters/counters_dlg.h"
#include "desktop/help/about_dlg.h"
#include "desktop/settings/log_settings.h"
#include "desktop/settings/options_dlg.h"
#include "desktop/settings/service_config_dlg.h"
#include "desktop/settings/wizard_add_dlg.h"
#include "tests/desktop/desktop_test_support.h"

namespace corvane::desktop::testing {
namespace {

using Maker = std::function<std::unique_ptr<QDialog>(Corvane&)>;

struct DialogCase {
  const char* name;
  Maker make;
};

bool IsField(QWidget* widget) {
  if (qobject_cast<QComboBox*>(widget) || qobject_cast<QSpinBox*>(widget) ||
      qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QPlainTextEdit*>(widget)) {
    return true;
  }
  // A line edit inside a combo box or spin box is that control's part.
  return qobject_cast<QLineEdit*>(widget) && !qobject_cast<QComboBox*>(widget->parentWidget()) &&
         !qobject_cast<QAbstractSpinBox*>(widget->parentWidget());
}

bool Shown(QWidget* widget, QWidget* dialog) { return widget->isVisibleTo(dialog); }

// The field a label's buddy stands for: the buddy itself or a field inside it.
bool LabelsField(QLabel* label, QWidget* field) {
  QWidget* buddy = label->buddy();
  return buddy != nullptr &&
         (buddy == field || buddy->isAncestorOf(field) || buddy->focusProxy() == field);
}

// A group box whose title names the one field inside it labels that field (its mnemonic
// focuses it).
bool SoleFieldOfTitledGroup(QWidget* field) {
  QWidget* parent = field->parentWidget();
  while (parent != nullptr && qobject_cast<QGroupBox*>(parent) == nullptr) {
    parent = parent->parentWidget();
  }
  auto* group = qobject_cast<QGroupBox*>(parent);
  if (group == nullptr || group->title().trimmed().isEmpty()) return false;
  int fields = 0;
  for (QWidget* widget : group->findChildren<QWidget*>()) fields += IsField(widget) ? 1 : 0;
  return fields == 1;
}

QChar Mnemonic(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return text[i + 1].toLower();
  }
  return {};
}

class DialogKeyboardTest : public DesktopFixture, public ::testing::WithParamInterface<DialogCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartProgram());
    QTRY_VERIFY_WITH_TIMEOUT(engine().Stop(), 8000);
  }
  std::unique_ptr<QDialog> Make() { return GetParam().make(engine()); }
};

TEST_P(DialogKeyboardTest, EveryFieldHasALabelBoundToIt) {
  std::unique_ptr<QDialog> dialog = Make();
  const auto labels = dialog->findChildren<QLabel*>();
  for (QWidget* field : dialog->findChildren<QWidget*>()) {
    if (!IsField(field) || !Shown(field, dialog.get())) continue;
    const bool labelled = std::any_of(labels.begin(), labels.end(),
                                      [&](QLabel* label) { return LabelsField(label, field); }) ||
                          SoleFieldOfTitledGroup(field);
    EXPECT_TRUE(labelled) << field->metaObject()->className() << " "
                          << field->objectName().toStdString() << " has no label";
  }
}

TEST_P(DialogKeyboardTest, NoTwoControlsShareAMnemonic) {
  std::unique_ptr<QDialog> dialog = Make();
  QMap<QChar, QString> owners;
  const auto take = [&](QWidget* widget, const QString& text) {
    if (!Shown(widget, dialog.get())) return;
    const QChar letter = Mnemonic(text);
    if (letter.isNull()) return;
    EXPECT_FALSE(owners.contains(letter))
        << "Alt+" << QString(letter).toStdString() << ": \"" << text.toStdString() << "\" and \""
        << owners.value(letter).toStdString() << "\"";
    owners.insert(letter, text);
  };
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    if (label->buddy() != nullptr) take(label, label->text());
  }
  for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
    take(button, button->text());
  for (QGroupBox* group : dialog->findChildren<QGroupBox*>()) take(group, group->title());
  // Every check box, radio button, titled group and labelled field has one.
  for (QWidget* widget : dialog->findChildren<QWidget*>()) {
    if (!Shown(widget, dialog.get())) continue;
    QString text;
    if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && label->buddy()) {
      text = label->text();
    } else if (widget->inherits("QCheckBox") || widget->inherits("QRadioButton")) {
      text = qobject_cast<QAbstractButton*>(widget)->text();
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      text = group->title();
    } else {
      continue;
    }
    if (!Mnemonic(text).isNull()) continue;
    // Without one only when every letter of its text belongs to another control already (a
    // dialog with more controls than letters, such as the wizard's check boxes).
    for (const QChar c : text) {
      EXPECT_TRUE(!c.isLetterOrNumber() || owners.contains(c.toLower()))
          << "\"" << text.toStdString() << "\" has no mnemonic though " << QString(c).toStdString()
          << " is free";
    }
  }
}

TEST_P(DialogKeyboardTest, TabReachesEveryControlAndEscapeCancels) {
  std::unique_ptr<QDialog> dialog = Make();
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  QSet<QWidget*> reached;
  QWidget* start = dialog->focusWidget();
  ASSERT_NE(start, nullptr) << "nothing has the focus when the dialog opens";
  for (int i = 0; i < 200; ++i) {
    QWidget* now = QApplication::focusWidget();
    if (now == nullptr) break;
    if (reached.contains(now)) break;
    reached.insert(now);
    QTest::keyClick(now, Qt::Key_Tab);
  }
  for (QWidget* widget : dialog->findChildren<QWidget*>()) {
    if (!widget->isVisible() || !widget->isEnabled() || !(widget->focusPolicy() & Qt::TabFocus))
      continue;
    if (widget->focusProxy() != nullptr) continue;
    // One radio button of a group is the group's stop; arrows move between them.
    if (widget->inherits("QRadioButton")) continue;
    EXPECT_TRUE(reached.contains(widget))
        << widget->metaObject()->className() << " " << widget->objectName().toStdString()
        << " is not reached with Tab";
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_P(DialogKeyboardTest, TextsFitAtTwiceTheFontSize) {
  const QFont normal = QApplication::font();
  QFont large = normal;
  large.setPointSizeF(normal.pointSizeF() * 2);
  QApplication::setFont(large);
  std::unique_ptr<QDialog> dialog = Make();
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  for (QWidget* widget : dialog->findChildren<QWidget*>()) {
    if (!widget->isVisible()) continue;
    auto* label = qobject_cast<QLabel*>(widget);
    if (label != nullptr && label->wordWrap()) {
      EXPECT_GE(label->height(), label->heightForWidth(label->width()))
          << "\"" << label->text().toStdString() << "\" is cut";
      continue;
    }
    if (label == nullptr && !qobject_cast<QAbstractButton*>(widget)) continue;
    EXPECT_GE(widget->width(), widget->minimumSizeHint().width())
        << widget->metaObject()->className() << " is cut";
    EXPECT_GE(widget->height(), widget->minimumSizeHint().height())
        << widget->metaObject()->className() << " is cut";
  }
  dialog.reset();
  QApplication::setFont(normal);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogKeyboardTest,
    ::testing::Values(
        DialogCase{
            "Preferences",
            [](Corvane& e) { return std::make_unique<COptionsDlg>(e, nullptr, nullptr, nullptr); }},
        DialogCase{"LogSettings",
                   [](Corvane& e) { return std::make_unique<CLogSettings>(e, nullptr, nullptr); }},
        DialogCase{"SystemOptions",
                   [](Corvane&) {
                     return std::make_unique<CServiceConfigDlg>(QStringLiteral("/p.crvn"), false,
                                                                false, nullptr);
                   }},
        DialogCase{"Wizard",
                   [](Corvane& e) {
                     return std::make_unique<CWizardAddDlg>(e, nullptr, nullptr, nullptr);
                   }},
        DialogCase{"RemoteHost",
                   [](Corvane&) { return std::make_unique<CComputerDlg>(nullptr, nullptr); }},
        DialogCase{"Counters",
                   [](Corvane& e) {
                     return std::make_unique<CCountersDlg>(e, nullptr, nullptr, nullptr);
                   }},
        DialogCase{"About", [](Corvane&) { return std::make_unique<CAboutDlg>(nullptr); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::desktop::testing
