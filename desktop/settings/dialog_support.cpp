#include "desktop/settings/dialog_support.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QWidget>

namespace corvane::desktop {

bool ReadIntegerField(QWidget* dialog, QLineEdit* field, int low, int high, int* value) {
  bool is_number = false;
  const QString text = field->text().trimmed();
  const qlonglong number = text.toLongLong(&is_number);
  QString problem;
  if (!is_number) {
    problem = QCoreApplication::translate("DialogSupport", kNotAnInteger);
  } else if (number < low || number > high) {
    problem = QCoreApplication::translate("DialogSupport", kIntegerOutOfRange).arg(low).arg(high);
  } else {
    *value = static_cast<int>(number);
    return true;
  }
  QMessageBox::warning(dialog, QCoreApplication::translate("DialogSupport", kAppTitle), problem);
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
  return false;
}

}  // namespace corvane::desktop
