// Answers the message boxes a dialog under test shows: each box that becomes the active modal
// window is recorded (title and text) and closed with the next scripted button, or with its
// default button once the script is used up. Polls from the GUI thread's event loop, so it
// works for boxes opened by a nested exec(). GUI thread only.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <initializer_list>

namespace corvane::test_support {

class MessageBoxAnswerer : public QObject {
 public:
  explicit MessageBoxAnswerer(std::initializer_list<QMessageBox::StandardButton> answers = {})
      : answers_(answers) {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, this, &MessageBoxAnswerer::Poll);
    timer_.start();
  }

  const QStringList& texts() const { return texts_; }
  const QStringList& titles() const { return titles_; }
  // Each box's icon, in the order the boxes came.
  const std::deque<QMessageBox::Icon>& icons() const { return icons_; }

 private:
  void Poll() {
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
    }
    if (button == nullptr) button = box->defaultButton();
    if (button == nullptr) button = box->escapeButton();
    if (button != nullptr) {
      button->click();
    } else {
      box->done(0);
    }
  }

  QTimer timer_;
  std::deque<QMessageBox::StandardButton> answers_;
  QStringList texts_;
  QStringList titles_;
  std::deque<QMessageBox::Icon> icons_;
};

}  // namespace corvane::test_support
