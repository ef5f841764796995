// CCorvaneView: the live wind rose, filling the main frame's client area. Paints the engine's
// whole picture (BackColor, then the status text or the chart) at the screen's device pixel
// ratio through ChartLayers: after a sample it repaints only what changed, or nothing; a
// command repaints it whole. It
// takes no mouse input, so every click, drag, double-click and right-click on the diagram
// reaches the main frame; it takes the keyboard focus, so the frame's keys work without a
// caption. Assistive technologies read it through ChartAccessible and hear each sample's
// changes through its ChartAnnouncer.
// GUI thread only; the document must outlive the view.
#pragma once

#include <QWidget>

#include "desktop/accessibility/chart_announcer.h"
#include "platform/qt/chart_layers.h"
#include "platform/qt/qt_engine_window.h"
#include "platform/qt/text_layout_cache.h"

namespace corvane::desktop {

class CCorvaneDoc;

class CCorvaneView final : public QWidget {
  Q_OBJECT

 public:
  CCorvaneView(CCorvaneDoc& document, QWidget* parent);

  CCorvaneDoc& document() const { return document_; }
  // The window the collector repaints after every sample.
  qt::QtEngineWindow& engine_window() { return engine_window_; }
  ChartAnnouncer& announcer() { return announcer_; }
  // Paint events carried out and the region the last one painted (for tests and measurements).
  int paint_count() const { return paint_count_; }
  const QRegion& painted_region() const { return painted_; }
  const qt::ChartLayers& layers() const { return layers_; }
  // When the first paint and the first paint of a sampled chart happened, as wall-clock
  // milliseconds since the epoch (0 until then). With CORVANE_REPORT_PAINTS set in the
  // environment each is also written to standard error once, for bench/desktop_measure.sh.
  qint64 first_paint_ms() const { return first_paint_ms_; }
  qint64 first_chart_ms() const { return first_chart_ms_; }

  QSize sizeHint() const override { return {400, 300}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  // The arrow keys, Home and End move the current axis, whose value a screen reader follows.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void AnnounceTitle();
  // After a sample: asks for a paint of what changed on the chart, or none.
  void RepaintChanges();
  void NoteFirstPaints();

  CCorvaneDoc& document_;
  qt::QtEngineWindow engine_window_;
  ChartAnnouncer announcer_;
  qt::TextLayoutCache text_cache_;  // the labels' layouts, kept from paint to paint
  qt::ChartLayers layers_{text_cache_};
  qt::ChartLayers::DrawFunction draw_;
  QRegion painted_;
  QRegion requested_;  // asked for by samples since the last paint

  int paint_count_ = 0;
  const bool report_paints_;
  qint64 first_paint_ms_ = 0;
  qint64 first_chart_ms_ = 0;
};

}  // namespace corvane::desktop
