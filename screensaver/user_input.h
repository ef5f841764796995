// UserInput: when the full-screen screen saver ends on the user's input. A key or a mouse
// button ends it at once; the pointer ends it once it has moved a few pixels from where it
// first was, so that a table's tremor or the pointer's first report does not. Standard
// library only; the window's thread only.
#pragma once

#include <optional>

#include "chart/geometry.h"

namespace corvane::screensaver {

class UserInput {
 public:
  static constexpr int kMotionSlack = 4;  // pixels the pointer may move without ending

  bool OnKey() { return true; }
  bool OnButton() { return true; }
  // The pointer is at `at` (root coordinates). True when the screen saver should end.
  bool OnMotion(chart::Point at);

 private:
  std::optional<chart::Point> first_;
};

}  // namespace corvane::screensaver
