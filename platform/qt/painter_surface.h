// PainterSurface: the drawing surface over a QPainter, for the desktop window, the screen
// saver and PNG snapshots. Text is measured with the real font through QFontMetrics, so the
// chart's layout matches what is drawn. Does not own the painter, which must be active for the
// surface's whole life; the surface sets the painter's pen, brush and font as it draws.
// Used only by the thread that owns the paint device (the GUI thread for widgets).
//
// Texts are laid out through a TextLayoutCache; a window that lends the surface of each
// paint event its own long-lived cache lays its labels out once, not at every repaint.
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <string_view>
#include <vector>

#include "chart/drawing_surface.h"
#include "platform/qt/text_layout_cache.h"

namespace corvane::qt {

class PainterSurface final : public chart::DrawingSurface {
 public:
  // Whether lines, rings and polylines are antialiased. Text always is.
  enum class LineSmoothing {
    kOff,  // whole pixels, as the platform's own drawing does; about twice as fast
    kOn,   // smooth edges, as an SVG viewer draws them; for pictures made once
  };

  // Starts as a fresh device context does: a black solid pen of width 1, the sans-serif font
  // at 12 pixels, black text on white, opaque text background, pen position (0, 0). Texts are
  // laid out through `cache`, which must outlive the surface; without one the surface keeps
  // its own for its lifetime.
  explicit PainterSurface(QPainter& painter, LineSmoothing smoothing = LineSmoothing::kOff,
                          TextLayoutCache* cache = nullptr);
  PainterSurface(const PainterSurface&) = delete;
  PainterSurface& operator=(const PainterSurface&) = delete;

  chart::Pen SelectPen(const chart::Pen& pen) override;
  chart::FontSpec SelectFont(const chart::FontSpec& font) override;
  chart::Colour SetTextColour(chart::Colour colour) override;
  chart::Colour SetBackColour(chart::Colour colour) override;
  chart::TextBackground SetTextBackground(chart::TextBackground mode) override;
  void MoveTo(chart::Point to) override;
  void LineTo(chart::Point to) override;
  void Polyline(std::span<const chart::Point> points) override;
  void FullArc(const chart::Rect& box) override;
  void FillRect(const chart::Rect& rect, chart::Colour colour) override;
  chart::TextSize MeasureText(std::string_view text) override;
  void DrawText(chart::Point top_left, std::string_view text) override;

  // The Qt font a chart font stands for: the platform's default dialog faces ("MS Sans
  // Serif" and the like) become the system's sans-serif family; the height is in pixels.
  static QFont ToQFont(const chart::FontSpec& font);
  // 0x00BBGGRR to an opaque QColor.
  static QColor ToQColor(chart::Colour colour);

 private:
  // Put the line pen, or a pen of the text colour, on the painter, when it is not there yet.
  void UseLinePen();
  void UseTextPen();
  // Antialiased, a line of odd width through whole pixel coordinates is moved half a pixel so
  // that it covers whole pixels instead of blurring over two.
  double StrokeOffset() const;

  QPainter& painter_;
  const LineSmoothing smoothing_;
  chart::Pen pen_;
  QPen qt_pen_;
  // kSegments: the line pen with square caps, for wide polylines drawn as segments.
  enum class PainterPen { kOther, kLine, kSegments, kText };
  PainterPen painter_pen_ = PainterPen::kOther;  // which of the surface's pens the painter has
  chart::Colour painter_text_colour_ = chart::kNoColour;  // the colour of the text pen there
  chart::FontSpec font_;
  QFont qt_font_;
  TextLayoutCache own_cache_;  // used when the caller lends none
  TextLayoutCache& cache_;
  TextLayoutCache::FontTexts* texts_;  // the current font's, from cache_
  chart::Colour text_colour_ = 0x000000;
  chart::Colour back_colour_ = 0xFFFFFF;
  chart::TextBackground text_background_ = chart::TextBackground::kOpaque;
  chart::Point position_;
  std::vector<QPointF> polyline_;  // reused for every polyline, so drawing does not allocate
  std::vector<QLineF> segments_;   // the same, for a polyline drawn as segments
};

}  // namespace corvane::qt
