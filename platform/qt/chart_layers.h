// ChartLayers: a window's chart picture kept as two layers, so that a sample costs what it
// changed. Each Update records what the picture would be (a chart::FrameDescription) and
// compares it with the one shown: the same picture asks for no paint at all; a changed value
// asks for the rectangle around its lines and texts only. The still layer (background, grid and
// critical rings, axes, labels, status text) is kept as an image at the device pixel ratio
// and drawn again only when it changed (the window's size, the settings, the axes); a paint
// puts that image and draws the moving layer (value texts and polylines) over it, inside the
// region asked for. The desktop view and the screen saver paint through one each.
//
// Owned and used by the GUI thread; the text cache must outlive it.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <functional>
#include <vector>

#include "chart/frame_description.h"
#include "platform/qt/painter_surface.h"
#include "platform/qt/text_layout_cache.h"

namespace corvane::qt {

class ChartLayers {
 public:
  // Draws the whole picture in the rectangle (DrawWholePicture over the engine).
  using DrawFunction = std::function<void(chart::DrawingSurface&, const chart::Rect&)>;

  explicit ChartLayers(TextLayoutCache& cache, PainterSurface::LineSmoothing smoothing =
                                                   PainterSurface::LineSmoothing::kOff);
  ChartLayers(const ChartLayers&) = delete;
  ChartLayers& operator=(const ChartLayers&) = delete;

  // Records the picture `draw` makes in `rect` (logical pixels) for a device at `ratio` and
  // returns the rectangle around where it differs from the picture recorded before, in
  // logical pixels: all of
  // `rect` the first time, after Forget and when the still layer, the rectangle or the ratio
  // changed; nothing when the picture is the same. The recorded picture is the one Paint
  // draws from then on, so the region returned must be painted.
  QRegion Update(const DrawFunction& draw, const QRect& rect, qreal ratio);
  // Paints the recorded picture inside `region` (logical pixels) with the painter, whose
  // device has the ratio given to Update.
  void Paint(QPainter& painter, const QRegion& region);
  // The next Update returns the whole rectangle and redraws the still layer.
  void Forget() { known_ = false; }

  const chart::FrameDescription& frame() const { return shown_; }
  // How often the still layer was drawn into its image (for tests and measurements).
  int still_redraws() const { return still_redraws_; }
  // How often a picture was recorded (Update) and painted (Paint of a region).
  int recordings() const { return recordings_; }
  int paints() const { return paints_; }

 private:
  // Measures through the text cache, with the fonts the painter surface uses.
  class CacheMeasure final : public chart::TextMeasure {
   public:
    explicit CacheMeasure(TextLayoutCache& cache) : cache_(cache) {}
    chart::TextSize Measure(const chart::FontSpec& font, std::string_view text) override;
    void Reset() { texts_ = nullptr; }

   private:
    TextLayoutCache& cache_;
    chart::FontSpec font_;
    TextLayoutCache::FontTexts* texts_ = nullptr;  // font_'s, valid during one recording
  };

  void DrawStill();

  TextLayoutCache& cache_;
  const PainterSurface::LineSmoothing smoothing_;
  CacheMeasure measure_;
  chart::FrameDescription shown_;
  chart::FrameDescription next_;
  std::vector<chart::Rect> changed_;
  bool known_ = false;  // shown_ holds the picture recorded last
  QRect rect_;
  qreal ratio_ = 1.0;
  QImage still_;
  bool still_current_ = false;  // still_ shows shown_'s still layer
  int still_redraws_ = 0;
  int recordings_ = 0;
  int paints_ = 0;
};

}  // namespace corvane::qt
