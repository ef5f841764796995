#include "screensaver/chart_placement.h"

#include <algorithm>
#include <utility>

namespace corvane::screensaver {
namespace {

// An edge within a free range. A range of 0 or less (a chart as large as the window or, from
// an area size over 100 written by hand, larger) leaves the chart centred: no modulo by it.
int PlaceIn(int range, std::uint32_t random) {
  if (range <= 0) return range / 2;
  return static_cast<int>(random % static_cast<std::uint32_t>(range));
}

}  // namespace

ChartPlacement::ChartPlacement(int area_size, int timeout, Random random)
    : area_size_(area_size), timeout_(timeout), random_(std::move(random)) {}

void ChartPlacement::SetClientSize(int width, int height) {
  const double share = area_size_ / 100.0;
  // The chart's box is a little less tall than its share, so its labels stay on the screen.
  w_ = std::max(static_cast<int>(width * share) - 1, 0);
  h_ = std::max(static_cast<int>(height * share) - 10, 0);
  range_x_ = width - w_;
  range_y_ = height - h_;
  rect_.left = range_x_ / 2;
  rect_.top = range_y_ / 2;
  rect_.right = rect_.left + w_;
  rect_.bottom = rect_.top + h_;
}

bool ChartPlacement::Tick() {
  ++seconds_;
  if (seconds_ > timeout_) {
    seconds_ = 0;
    visible_ = false;
    Move();
    return true;
  }
  if (!visible_) {
    visible_ = true;
    return true;
  }
  return false;
}

void ChartPlacement::Move() {
  rect_.top = PlaceIn(range_y_, random_());
  rect_.left = PlaceIn(range_x_, random_());
  rect_.right = rect_.left + w_;
  rect_.bottom = rect_.top + h_;
}

}  // namespace corvane::screensaver
