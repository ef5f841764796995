// TrayClickRule: when clicks on the tray icon show or hide the window. Two single clicks less
// than 500 ms apart toggle once; a double-click toggles once and forgets the click before it.
// The clock is injected (milliseconds of a monotonic clock). GUI thread only.
#pragma once

#include <QtGlobal>
#include <functional>
#include <optional>

namespace corvane::desktop {

class TrayClickRule {
 public:
  using Clock = std::function<qint64()>;  // milliseconds
  static constexpr qint64 kTwoClickMs = 500;

  explicit TrayClickRule(Clock clock) : clock_(std::move(clock)) {}
  void SetClock(Clock clock) { clock_ = std::move(clock); }

  // A single click (button down); true when it completes a pair and the window is to toggle.
  bool Click() {
    const qint64 now = clock_();
    if (last_click_ && now - *last_click_ < kTwoClickMs) {
      last_click_.reset();
      return true;
    }
    last_click_ = now;
    return false;
  }
  // A double-click always toggles; the single click that began it is spent.
  bool DoubleClick() {
    last_click_.reset();
    return true;
  }

 private:
  Clock clock_;
  std::optional<qint64> last_click_;
};

}  // namespace corvane::desktop
