#include "screensaver/chart_placement.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace corvane::screensaver {
namespace {

// The largest side a chart is given: many times any screen, and small enough that the
// chart's edges and free ranges stay far inside an int.
constexpr int kMaxChartSide = 1 << 24;

// An edge within a free range. A range of 0 or less (a chart as large as the window or, from
// an area size over 100 written by hand, larger) leaves the chart centred: no modulo by it.
int PlaceIn(int range, std::uint32_t random) {
  if (range <= 0) return range / 2;
  return static_cast<int>(random % static_cast<std::uint32_t>(range));
}

// A side of the chart: the share of a window's side, minus a margin, and at least 0. The
// product is taken in double and limited before it becomes an int, so an area size written by
// hand far beyond any screen gives a chart larger than the window, never an overflow.
int ChartSide(int window_side, double share, int margin) {
  const double side = std::floor(window_side * share);
  if (!(side > margin)) return 0;
  return static_cast<int>(std::min(side - margin, static_cast<double>(kMaxChartSide)));
}

}  // namespace

ChartPlacement::ChartPlacement(int area_size, int timeout, Random random)
    : area_size_(area_size), timeout_(timeout), random_(std::move(random)) {}

void ChartPlacement::SetClientSize(int width, int height) {
  const double share = area_size_ / 100.0;
  // The chart's box is a little less tall than its share, so its labels stay on the screen.
  w_ = ChartSide(width, share, 1);
  h_ = ChartSide(height, share, 10);
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
