#include "desktop/settings/dialog_support.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QWidget>
#include <chrono>
#include <thread>

#include "core/engine.h"
#include "core/engine_host.h"

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

bool StopCollector(Corvane& engine) {
  using namespace std::chrono_literals;
  const auto give_up = std::chrono::steady_clock::now() + 5000ms;
  while (!engine.Stop()) {
    if (std::chrono::steady_clock::now() >= give_up) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

void ShowCannotStopCollector(QWidget* parent) {
  QMessageBox::warning(parent, QString::fromLatin1(kAppTitle),
                       QString::fromUtf8(kCannotStopCollectorText.data(),
                                         static_cast<int>(kCannotStopCollectorText.size())));
}

}  // namespace corvane::desktop
