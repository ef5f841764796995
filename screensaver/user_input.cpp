#include "screensaver/user_input.h"

#include <cstdlib>

namespace corvane::screensaver {

bool UserInput::OnMotion(chart::Point at) {
  if (!first_) {
    first_ = at;
    return false;
  }
  return std::abs(at.x - first_->x) > kMotionSlack || std::abs(at.y - first_->y) > kMotionSlack;
}

}  // namespace corvane::screensaver
