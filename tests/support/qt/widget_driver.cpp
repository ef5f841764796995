#include "tests/support/qt/widget_driver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

namespace corvane::qt_test {

QPushButton* FindButton(QWidget* root, const QString& caption) {
  for (QPushButton* button : root->findChildren<QPushButton*>()) {
    if (QString(button->text()).remove(QLatin1Char('&')) == caption) return button;
  }
  return nullptr;
}

QWidget* FindAccessible(QWidget* root, QAccessible::Role role, const QString& name) {
  QWidget* found = nullptr;
  int matches = 0;
  for (QWidget* widget : root->findChildren<QWidget*>()) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    if (accessible == nullptr || accessible->role() != role ||
        accessible->text(QAccessible::Name).trimmed() != name)
      continue;
    found = widget;
    ++matches;
  }
  if (matches == 1) return found;
  ADD_FAILURE() << matches << " widgets of role " << role << " are named \"" << name.toStdString()
                << '"';
  return nullptr;
}

bool PressButton(QWidget* root, const QString& caption) {
  QPushButton* button = FindButton(root, caption);
  if (button == nullptr) {
    ADD_FAILURE() << "no button " << caption.toStdString();
    return false;
  }
  QTest::mouseClick(button, Qt::LeftButton);
  return true;
}

void TypeInto(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

bool IsMessageBox(const QWidget* widget) { return qobject_cast<const QMessageBox*>(widget); }

void OnNextModalWindow(std::function<bool(QWidget*)> take) {
  auto* timer = new QTimer;
  auto polls = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, take = std::move(take), polls] {
    QWidget* modal = QApplication::activeModalWidget();
    // A window once taken is marked: a later window may reuse a closed one's address.
    if (modal != nullptr && modal->isVisible() && modal->property("taken").isNull() &&
        take(modal)) {
      modal->setProperty("taken", true);
      timer->stop();
      timer->deleteLater();
      return;
    }
    if (++*polls > 500) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no modal window opened";
    }
  });
  timer->start(10);
}

}  // namespace corvane::qt_test
