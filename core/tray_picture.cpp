#include "core/tray_picture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/engine.h"

namespace corvane {

TrayPicture MakeTrayPicture(const Corvane& engine, int size) {
  chart::ChartLock lock(engine);
  const CorvaneSettings settings = engine.GetSettings();
  TrayPicture picture;
  picture.size = std::max(size, 0);
  picture.back = settings.BackColor;
  picture.current = settings.CurColor;
  picture.critical = settings.CritColor;
  // One pixel per 16 of the side: 1 at 22 px, 2 at 44 px (a scale of 2). An axis in alert
  // gets a line more than twice as wide, so it reads without its colour.
  picture.line_width = std::max(1, picture.size / 16);
  picture.alert_width = picture.line_width * 2 + 1;
  const int centre = picture.size / 2;
  const double radius = std::max(0, centre - picture.alert_width);  // room for the markers
  picture.ring_radius = static_cast<int>(std::lround(radius * engine.GetCriticalBorder() / 100.0));
  picture.axis_count = std::min(engine.GetAxisCount(), kTrayAxisCapacity);
  const bool has_values = engine.GetStatusText().empty();
  const double step = picture.axis_count > 0 ? 2 * std::numbers::pi / picture.axis_count : 0.0;
  for (int i = 0; i < picture.axis_count; ++i) {
    const auto a = static_cast<std::size_t>(i);
    const double r =
        has_values ? std::max(0.0, engine.RadiusFor(i, Corvane::kCurrentSeries, radius)) : 0.0;
    picture.points[a] =
        chart::Point{centre + static_cast<int>(std::lround(r * std::sin(i * step))),
                     centre - static_cast<int>(std::lround(r * std::cos(i * step)))};
    picture.alert[a] = engine.IsInAlert(i);
  }
  picture.alert_count = engine.GetAlertCount();
  return picture;
}

}  // namespace corvane
