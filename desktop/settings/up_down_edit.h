// UpDownEdit: a digits-only edit with an up-down control attached, as the preferences use for
// the interval and the history. The arrows and the arrow keys move a position within the
// range, starting from the number the edit shows, and write it into the edit; the edit itself takes
// any digits, so a value outside the range can be typed and is caught when the dialog reads the
// field. Holding an arrow steps by 1 and, once it has been held for a second, by 10.
//
// GUI thread only.
#pragma once

#include <QAbstractSpinBox>
#include <QLineEdit>
#include <chrono>
#include <functional>

namespace corvane::desktop {

class UpDownEdit : public QAbstractSpinBox {
  Q_OBJECT

 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;

  static constexpr int kSlowStep = 1;
  static constexpr int kFastStep = 10;
  static constexpr std::chrono::milliseconds kFastAfter{1000};
  // Steps closer together than this belong to one hold of the arrow (the auto-repeat of a
  // held key or button comes at least every half second).
  static constexpr std::chrono::milliseconds kHoldGap{700};

  explicit UpDownEdit(QWidget* parent, Clock clock = std::chrono::steady_clock::now);

  void SetRange(int low, int high);
  // Moves the up-down to `position` (clamped to the range) and shows it in the edit.
  void SetPosition(int position);
  int Position() const { return position_; }
  // The edit the up-down writes into.
  QLineEdit* Edit() const { return lineEdit(); }

  void stepBy(int steps) override;

 protected:
  StepEnabled stepEnabled() const override;
  QValidator::State validate(QString& input, int& pos) const override;
  void fixup(QString& input) const override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int CurrentStep();
  // The position the edit shows: its number within the range, else the last position.
  int ShownPosition() const;

  Clock clock_;
  int low_ = 0;
  int high_ = 100;
  int position_ = 0;
  bool holding_ = false;
  std::chrono::steady_clock::time_point hold_start_{};
  std::chrono::steady_clock::time_point last_step_{};
};

}  // namespace corvane::desktop
