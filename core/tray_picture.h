// TrayPicture: the live wind rose reduced to a tray icon: the current values' closed polyline
// and the critical ring in a small square, with the axes in alert marked. Two pictures compare
// equal exactly when they would be drawn the same, so a host redraws its icon only when the
// picture changed. Plain values; MakeTrayPicture takes the engine's lock while it reads.
#pragma once

#include <array>

#include "chart/drawing_style.h"
#include "chart/geometry.h"

namespace corvane {

class Corvane;

inline constexpr int kTrayAxisCapacity = 32;  // the engine's axis capacity

struct TrayPicture {
  int size = 0;                // device pixels, the side of the square
  chart::Colour back = 0;      // the disc behind the rose (BackColor)
  chart::Colour current = 0;   // the current values' line (CurColor)
  chart::Colour critical = 0;  // the critical ring and the lines of axes in alert (CritColor)
  int ring_radius = 0;         // device pixels; 0: no ring (a critical border of 0)
  int line_width = 1;          // device pixels, the normal line
  int alert_width = 3;         // device pixels, the line and marker of an axis in alert
  int axis_count = 0;
  // Vertex i is axis i's current value, from the square's top-left corner (N/A: the centre).
  std::array<chart::Point, kTrayAxisCapacity> points{};
  std::array<bool, kTrayAxisCapacity> alert{};
  int alert_count = 0;

  bool operator==(const TrayPicture&) const = default;
};

// The picture for a square of `size` device pixels. Status text (loading, connecting) shows as
// a rose without values.
TrayPicture MakeTrayPicture(const Corvane& engine, int size);

}  // namespace corvane
