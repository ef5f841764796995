// Answers the message boxes a window under test shows: each box that becomes the active modal
// window is recorded (title, text, icon) and closed with the next scripted button; once the
// script is used up, with the `then` button (a box without it is rejected) or, when none is
// given, with the box's default button.
// Polls from the GUI thread's event loop, so it also answers boxes opened by a nested exec().
// GUI thread only.
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <initializer_list>

namespace corvane::qt_test {

class MessageBoxAnswerer : public QObject {
  Q_OBJECT

 public:
  explicit MessageBoxAnswerer(std::initializer_list<QMessageBox::StandardButton> answers = {},
                              QMessageBox::StandardButton then = QMessageBox::NoButton);

  const QStringList& texts() const { return texts_; }
  const QStringList& titles() const { return titles_; }
  // Each box's icon, in the order the boxes came.
  const std::deque<QMessageBox::Icon>& icons() const { return icons_; }
  // Forgets the boxes seen so far (the script is kept).
  void Clear();

 private:
  void Poll();

  QTimer timer_;
  std::deque<QMessageBox::StandardButton> answers_;
  QMessageBox::StandardButton then_;
  QStringList texts_;
  QStringList titles_;
  std::deque<QMessageBox::Icon> icons_;
};

}  // namespace corvane::qt_test
