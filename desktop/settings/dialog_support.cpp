#include "desktop/settings/dialog_support.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace corvane::desktop {

void CentreOnDesktop(QWidget* dialog) {
  QScreen* screen =
      dialog->screen() != nullptr ? dialog->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  dialog->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, dialog->size(),
                                          screen->availableGeometry()));
}

bool ReadIntegerField(QWidget* dialog, QLineEdit* field, int low, int high, int* value) {
  bool is_number = false;
  const QString text = field->text().trimmed();
  const qlonglong number = text.toLongLong(&is_number);
  QString problem;
  if (!is_number) {
    problem = QString::fromLatin1(kNotAnInteger);
  } else if (number < low || number > high) {
    problem = QString::fromLatin1(kIntegerOutOfRange).arg(low).arg(high);
  } else {
    *value = static_cast<int>(number);
    return true;
  }
  QMessageBox::warning(dialog, QString::fromLatin1(kAppTitle), problem);
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
  return false;
}

}  // namespace corvane::desktop
