// ChartPlacement: where the screen saver's chart lies in its window and whether it is shown.
// The chart covers a share of the window's width and height, starts centred, and after
// `timeout` seconds in one place disappears for one second while it jumps to a random place.
// Standard library only; the window's thread only.
#pragma once

#include <cstdint>
#include <functional>

#include "chart/geometry.h"

namespace corvane::screensaver {

class ChartPlacement {
 public:
  // Any source of non-negative numbers; the screen saver uses a generator seeded with the time.
  using Random = std::function<std::uint32_t()>;

  ChartPlacement(int area_size, int timeout, Random random);

  // The window's client size. The chart's size is recomputed and it is centred again.
  void SetClientSize(int width, int height);
  // One second passed. True when the window must be repainted: the chart has just been hidden
  // and moved, or shown again.
  bool Tick();

  const chart::Rect& rect() const { return rect_; }
  bool visible() const { return visible_; }
  // The chart's size; 0 when the window is too small for one (nothing is drawn then).
  int chart_width() const { return w_; }
  int chart_height() const { return h_; }

 private:
  void Move();

  int area_size_;
  int timeout_;
  Random random_;
  int w_ = 0;
  int h_ = 0;
  int range_x_ = 0;  // free ranges: where the chart's left and top edges may lie
  int range_y_ = 0;
  chart::Rect rect_;
  bool visible_ = true;
  int seconds_ = 0;
};

}  // namespace corvane::screensaver
