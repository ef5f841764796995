// WindRose::DrawChart: lays the chart out in a rectangle and paints it through a drawing
// surface. Nothing here allocates: labels go into the axes' fixed buffers, points into the
// series' point arrays, value texts into buffers on the stack.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>

#include "chart/drawing_surface.h"
#include "chart/utf8.h"
#include "chart/wind_rose.h"

namespace corvane::chart {
namespace {

constexpr double kTwoPi = 6.283185307179586;

// Coordinates are kept well inside int so that adding the centre cannot overflow; a point that
// far away is off every surface anyway (a large negative reading has no lower clamp).
constexpr double kCoordinateLimit = 1 << 28;  // pixels

// x taken to the nearest integer, halves away from zero (2.5 -> 3, -2.5 -> -3).
int Nearest(double x) {
  if (!(x > -kCoordinateLimit)) return -static_cast<int>(kCoordinateLimit);  // also NaN
  if (x > kCoordinateLimit) return static_cast<int>(kCoordinateLimit);
  return static_cast<int>(std::lround(x));
}

// The longest value part: a sign, 309 digits of the largest double, ".00" and two spaces.
constexpr std::size_t kValueTextRoom = 320;  // characters

// One part of an axis's value text: " %d " / " %.2f " / " N/A " for series 0 (the maxima),
// without the leading space for the other series. Written with to_chars so that the
// decimal point does not follow the process locale (the GUI toolkit sets one).
std::string_view FormatValuePart(char (&buffer)[kValueTextRoom], bool leading_space, double value,
                                 ValueState state) {
  char* out = buffer;
  char* const end = buffer + kValueTextRoom - 1;  // room for the trailing space
  if (leading_space) *out++ = ' ';
  if (state == ValueState::kNotAvailable) {
    for (char c : std::string_view("N/A")) *out++ = c;
  } else if (value >= INT32_MIN && value <= INT32_MAX &&
             value == static_cast<double>(static_cast<std::int32_t>(value))) {
    out = std::to_chars(out, end, static_cast<std::int32_t>(value)).ptr;
  } else {
    const std::to_chars_result written =
        std::to_chars(out, end, value, std::chars_format::fixed, 2);
    if (written.ec == std::errc()) out = written.ptr;
  }
  *out++ = ' ';
  return {buffer, static_cast<std::size_t>(out - buffer)};
}

// Sets a surface colour on demand and remembers the one the surface had before the first
// change, so that the colour can be put back. kNoColour asks for the surface's own colour.
class ColourUse {
 public:
  using Setter = Colour (DrawingSurface::*)(Colour);

  ColourUse(DrawingSurface& surface, Setter setter) : surface_(surface), setter_(setter) {}

  void Use(Colour colour) {
    if (colour == kNoColour) {
      if (changed_ && current_ != original_) {
        (surface_.*setter_)(original_);
        current_ = original_;
      }
      return;
    }
    if (changed_ && current_ == colour) return;
    const Colour previous = (surface_.*setter_)(colour);
    if (!changed_) {
      original_ = previous;
      changed_ = true;
    }
    current_ = colour;
  }

  void Restore() {
    if (changed_) (surface_.*setter_)(original_);
    changed_ = false;
  }

 private:
  DrawingSurface& surface_;
  Setter setter_;
  bool changed_ = false;
  Colour original_ = kNoColour;
  Colour current_ = kNoColour;
};

// Selects a pen for one drawing step and puts the previous pen back when the step ends. A
// missing pen leaves the surface's pen in use.
class PenForStep {
 public:
  PenForStep(DrawingSurface& surface, const std::optional<Pen>& pen) : surface_(surface) {
    if (pen) previous_ = surface_.SelectPen(*pen);
  }
  ~PenForStep() {
    if (previous_) surface_.SelectPen(*previous_);
  }
  PenForStep(const PenForStep&) = delete;
  PenForStep& operator=(const PenForStep&) = delete;

 private:
  DrawingSurface& surface_;
  std::optional<Pen> previous_;
};

// Builds an axis label: "%d: " with the 1-based number when numbers are shown, then the name
// when names are shown. With truncation (mode 1 cuts the end, 2 the front), a name that would
// make the label longer than `limit` + 3 characters is cut to `limit` characters around
// "..."; at the front the number prefix counts against the limit. Cuts keep multi-byte
// characters whole, so a label never ends in half a character. With mode 0 a name longer
// than the label's room is cut at the room.
void BuildLabel(AxisLabel& label, int number, std::string_view name, bool show_number,
                bool show_name, int trunc_mode, int limit) {
  label.Clear();
  std::size_t prefix_length = 0;  // characters
  if (show_number) {
    char prefix[16];
    char* end = std::to_chars(prefix, prefix + sizeof prefix - 2, number).ptr;
    *end++ = ':';
    *end++ = ' ';
    prefix_length = static_cast<std::size_t>(end - prefix);
    label.Append(std::string_view(prefix, prefix_length));
  }
  if (!show_name) return;

  const auto m = static_cast<std::size_t>(limit);
  if (trunc_mode == 0) {
    label.Append(utf8::HeadWithin(name, label.Room()));
  } else if (prefix_length + name.size() <= m + 3) {
    label.Append(name);
  } else if (trunc_mode == 2) {
    label.Append("...");
    label.Append(utf8::TailWithin(name, m > prefix_length ? m - prefix_length : 0));
  } else if (trunc_mode == 1) {
    label.Append(utf8::HeadWithin(name, m));
    label.Append("...");
  }
}

// The box of a full circle of radius r around (cx, cy).
Rect CircleBox(int cx, int cy, int r) { return Rect{cx - r, cy - r, cx + r, cy + r}; }

}  // namespace

bool WindRose::DrawChart(DrawingSurface& surface, const Rect& rect) {
  Guard guard(lock_);
  surface_ = &surface;
  rect_ = rect;

  const bool show_label = show_names_ != 0 || show_numbers_ != 0;
  const bool show_values = show_values_ != 0;
  const int axis_count = static_cast<int>(axes_.size());
  const double angle_step = axis_count > 0 ? kTwoPi / axis_count : 0.0;  // radians

  // ---- 1. Centre and first radius. ----
  centre_x_ = Nearest((static_cast<double>(rect.right) - rect.left) * 0.5);
  centre_y_ = Nearest((static_cast<double>(rect.bottom) - rect.top) * 0.5);
  int radius = std::min(centre_x_, centre_y_);
  centre_x_ += rect.left;
  centre_y_ += rect.top;
  const int cx = centre_x_;
  const int cy = centre_y_;

  // Measures the value text of one axis: the parts of the visible series side by side; the
  // height is the last part's.
  auto measure_values = [&](std::size_t axis) {
    TextSize size;
    for (std::size_t j = 0; j < series_.size(); ++j) {
      const SeriesRecord& series = series_[j];
      if (!series.visible) continue;
      char buffer[kValueTextRoom];
      const SeriesValue& stored = series.values[axis];
      const TextSize part =
          surface.MeasureText(FormatValuePart(buffer, j == 0, stored.value, stored.state));
      size.width += part.width;
      size.height = part.height;
    }
    return size;
  };

  // ---- 2. Fit the radius to the labels and value texts. ----
  std::optional<FontSpec> previous_font;
  int w2 = 0;  // pixels, the width of two spaces
  if (show_label || show_values) {
    if (font_) previous_font = surface.SelectFont(*font_);
    w2 = surface.MeasureText("  ").width;

    // The longest name shown whole; longer names are cut to it.
    const long long width = static_cast<long long>(rect.right) - rect.left;  // pixels
    const int limit =
        w2 <= 0 ? 0 : static_cast<int>(std::clamp(width / w2 / 4, 0LL, 48LL));  // characters

    int min_radius = radius;
    int e = 0;             // pixels, the room the texts of an axis need beside its end
    int label_height = 0;  // pixels, at the last axis
    int value_height = 0;  // pixels, at the last axis
    for (int i = 0; i < axis_count; ++i) {
      AxisRecord& axis = axes_[static_cast<std::size_t>(i)];
      const double s = std::sin(i * angle_step);
      const int x = Nearest(radius * s);
      axis.label.Clear();
      if (show_label) {
        BuildLabel(axis.label, i + 1, axis.name ? std::string_view(*axis.name) : std::string_view(),
                   show_numbers_ != 0, show_names_ != 0, label_trunc_, limit);
        const TextSize label = surface.MeasureText(axis.label.View());
        e = label.width + w2;
        label_height = label.height;
      }
      if (show_values) {
        const TextSize values = measure_values(static_cast<std::size_t>(i));
        e = std::max(e, values.width);
        value_height = values.height;
      }
      if (x != 0) {
        const int candidate = Nearest((static_cast<double>(cx) - rect.left - e) / std::fabs(s));
        min_radius = std::min(min_radius, candidate);
      }
    }
    int reduced = radius;
    if (show_label) reduced -= label_height;
    if (show_values) reduced -= value_height;
    radius = std::max(std::min(reduced, min_radius), 0);
  } else {
    for (AxisRecord& axis : axes_) axis.label.Clear();
  }
  if (!(show_label || show_values) || axis_count == 0) radius -= 4;
  // A rectangle smaller than the margins leaves no room: draw everything at the centre rather
  // than rings turned inside out.
  radius = std::max(radius, 0);
  radius_ = radius;

  // ---- 3. Axes, labels, value texts and polyline points. ----
  {
    PenForStep pen(surface, axis_pen_);
    ColourUse text_colour(surface, &DrawingSurface::SetTextColour);
    ColourUse back_colour(surface, &DrawingSurface::SetBackColour);
    text_colour.Use(text_colour_);
    back_colour.Use(back_colour_);

    for (int i = 0; i < axis_count; ++i) {
      const auto a = static_cast<std::size_t>(i);
      const double theta = i * angle_step;
      const double s = std::sin(theta);
      const double c = std::cos(theta);
      const int x = Nearest(radius * s);
      const int y = Nearest(radius * c);
      surface.MoveTo(Point{cx, cy});
      surface.LineTo(Point{cx + x, cy - y});

      for (std::size_t j = 0; j < series_.size(); ++j) {
        const double r = Radius(i, static_cast<int>(j));
        series_[j].points[a] = Point{cx + Nearest(r * s), cy - Nearest(r * c)};
      }

      const int ax = cx + x;
      const int ay = cy - y;
      bool label_drawn = false;
      int label_top = ay;     // pixels
      int label_bottom = ay;  // pixels
      if (show_label) {
        const std::string_view label = axes_[a].label.View();
        const TextSize size = surface.MeasureText(label);
        const int w = size.width + w2;
        const int h = size.height;
        int left = ax - w / 2;
        if (x > 0) left = ax;
        if (x < 0) left = ax - w;
        if (y < 0) {
          label_top = ay;
          label_bottom = ay + h;
        } else if (y > 0) {
          label_top = ay - h;
          label_bottom = ay;
        } else {
          label_bottom = show_values ? ay : ay + h / 2;
          label_top = label_bottom - h;
        }
        // Centred in its box; the box is two spaces wider than the text.
        text_colour.Use(text_colour_);
        back_colour.Use(back_colour_);
        surface.DrawText(Point{left + (w - size.width) / 2, label_top + (h - size.height) / 2},
                         label);
        label_drawn = true;
      }

      if (show_values) {
        const TextSize size = measure_values(a);
        int left = ax - size.width / 2;
        if (x > 0) left = ax;
        if (x < 0) left = ax - size.width;
        int top = 0;
        if (y < 0) {
          top = label_drawn ? label_bottom : ay;
        } else if (y > 0) {
          top = (label_drawn ? label_top : ay) - size.height;
        } else {
          top = label_drawn ? label_bottom : ay - size.height / 2;
        }
        surface.SetLayer(DrawingLayer::kMoving);
        for (std::size_t j = 0; j < series_.size(); ++j) {
          const SeriesRecord& series = series_[j];
          if (!series.visible) continue;
          char buffer[kValueTextRoom];
          const SeriesValue& stored = series.values[a];
          const std::string_view part = FormatValuePart(buffer, j == 0, stored.value, stored.state);
          text_colour.Use(series.text_colour != kNoColour ? series.text_colour : text_colour_);
          back_colour.Use(series.back_colour != kNoColour ? series.back_colour : back_colour_);
          surface.DrawText(Point{left, top}, part);
          left += surface.MeasureText(part).width;
        }
        surface.SetLayer(DrawingLayer::kStill);
      }
    }

    // Close the polylines: back to the first point, or, with a single axis, to the centre.
    for (SeriesRecord& series : series_) {
      if (axis_count > 1) {
        series.points[static_cast<std::size_t>(axis_count)] = series.points[0];
      } else {
        series.points[static_cast<std::size_t>(axis_count)] = Point{cx, cy};
      }
    }

    text_colour.Restore();
    back_colour.Restore();
    if (previous_font) surface.SelectFont(*previous_font);
  }

  // ---- 4. Grid rings. ----
  if (grid_step_ != 0) {
    PenForStep pen(surface, grid_pen_);
    for (int d = 1; grid_step_ * d <= 100; ++d) {
      const int r = Nearest(static_cast<double>(radius) * grid_step_ * d / 100.0);
      surface.FullArc(CircleBox(cx, cy, r));
    }
  }

  // ---- 5. Critical border. ----
  if (critical_border_ != 0) {
    PenForStep pen(surface, critical_pen_);
    const int r = Nearest(static_cast<double>(radius) * critical_border_ / 100.0);
    surface.FullArc(CircleBox(cx, cy, r));
  }

  // ---- 6. One closed polyline per visible series, the last drawn on top. ----
  if (axis_count > 0) {
    surface.SetLayer(DrawingLayer::kMoving);
    for (const SeriesRecord& series : series_) {
      if (!series.visible) continue;
      PenForStep pen(surface, series.pen);
      surface.Polyline(
          std::span<const Point>(series.points.data(), static_cast<std::size_t>(axis_count) + 1));
    }
    surface.SetLayer(DrawingLayer::kStill);
  }

  surface_ = nullptr;
  return true;
}

}  // namespace corvane::chart
