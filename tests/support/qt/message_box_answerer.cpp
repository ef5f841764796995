#include "tests/support/qt/message_box_answerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

namespace corvane::qt_test {

MessageBoxAnswerer::MessageBoxAnswerer(std::initializer_list<QMessageBox::StandardButton> answers,
                                       QMessageBox::StandardButton then)
    : answers_(answers), then_(then) {
  timer_.setInterval(5);
  connect(&timer_, &QTimer::timeout, this, &MessageBoxAnswerer::Poll);
  timer_.start();
}

void MessageBoxAnswerer::Clear() {
  texts_.clear();
  titles_.clear();
  icons_.clear();
}

void MessageBoxAnswerer::Poll() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  // A box is marked once answered: a later box may reuse a closed one's address.
  if (box == nullptr || !box->isVisible() || box->property("answered").toBool()) return;
  box->setProperty("answered", true);
  texts_ << box->text();
  titles_ << box->windowTitle();
  icons_.push_back(box->icon());
  QAbstractButton* button = nullptr;
  if (!answers_.empty()) {
    button = box->button(answers_.front());
    answers_.pop_front();
  } else if (then_ != QMessageBox::NoButton) {
    button = box->button(then_);
    if (button == nullptr) return box->reject();
  }
  if (button == nullptr) button = box->defaultButton();
  if (button == nullptr) button = box->escapeButton();
  if (button != nullptr) {
    button->click();
  } else {
    box->done(0);
  }
}

}  // namespace corvane::qt_test
