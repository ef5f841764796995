// Integer screen geometry for the chart: rectangles and points in the drawing surface's units
// (pixels). Plain values; any thread.
#pragma once

namespace corvane::chart {

// A rectangle by its edges; right and bottom lie outside it, as on the drawing surfaces.
struct Rect {
  int left = 0;    // pixels
  int top = 0;     // pixels
  int right = 0;   // pixels
  int bottom = 0;  // pixels

  bool operator==(const Rect&) const = default;
};

struct Point {
  int x = 0;  // pixels, growing to the right
  int y = 0;  // pixels, growing downwards

  bool operator==(const Point&) const = default;
};

}  // namespace corvane::chart
