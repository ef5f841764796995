#include "desktop/settings/up_down_edit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>

namespace corvane::desktop {

UpDownEdit::UpDownEdit(QWidget* parent, Clock clock)
    : QAbstractSpinBox(parent), clock_(std::move(clock)) {
  setAccelerated(false);  // the steps below are the acceleration
  setKeyboardTracking(true);
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

void UpDownEdit::SetRange(int low, int high) {
  low_ = low;
  high_ = high;
  position_ = std::clamp(position_, low_, high_);
}

void UpDownEdit::SetPosition(int position) {
  position_ = std::clamp(position, low_, high_);
  lineEdit()->setText(QString::number(position_));
}

int UpDownEdit::CurrentStep() {
  const auto now = clock_();
  if (!holding_ || now - last_step_ > kHoldGap) {
    holding_ = true;
    hold_start_ = now;
  }
  last_step_ = now;
  return now - hold_start_ >= kFastAfter ? kFastStep : kSlowStep;
}

int UpDownEdit::ShownPosition() const {
  // Like an up-down attached to its edit, start from what the edit shows when it is a number.
  bool is_number = false;
  const int shown = lineEdit()->text().toInt(&is_number);
  return is_number ? std::clamp(shown, low_, high_) : position_;
}

void UpDownEdit::stepBy(int steps) {
  position_ = ShownPosition();
  SetPosition(position_ + steps * CurrentStep());
  lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled UpDownEdit::stepEnabled() const {
  const int shown = ShownPosition();
  StepEnabled enabled = StepNone;
  if (shown < high_) enabled |= StepUpEnabled;
  if (shown > low_) enabled |= StepDownEnabled;
  return enabled;
}

QValidator::State UpDownEdit::validate(QString& input, int&) const {
  for (const QChar c : input) {
    if (!c.isDigit() || c.unicode() > 0x7f) return QValidator::Invalid;
  }
  return QValidator::Acceptable;
}

void UpDownEdit::fixup(QString&) const {}  // the dialog checks the text when it reads it

void UpDownEdit::keyReleaseEvent(QKeyEvent* event) {
  if (!event->isAutoRepeat()) holding_ = false;
  QAbstractSpinBox::keyReleaseEvent(event);
}

void UpDownEdit::mouseReleaseEvent(QMouseEvent* event) {
  holding_ = false;
  QAbstractSpinBox::mouseReleaseEvent(event);
}

}  // namespace corvane::desktop
