// CCorvaneView: the live wind rose, filling the main frame's client area. Paints the engine's
// whole picture (BackColor, then the status text or the chart) at the screen's device pixel
// ratio through ChartLayers: after a sample it repaints only what changed, or nothing; a
// command repaints it whole. It
// takes no mouse input, so every click, drag, double-click and right-click on the diagram
// reaches the main frame; it takes the keyboard focus, so the frame's keys work without a
// caption. Assistive technologies read it through ChartAccessible and hear each sample's
// changes through its ChartAnnouncer. While nobody can see it (the view or its window hidden,
// the window minimised, or not exposed: fully covered) a sample neither records nor paints
// the picture; the announcer still hears every sample, and the first paint once the window
// shows again draws the picture as it is then. While nothing wants the samples at all (the
// chart unseen, no assistive technology listening, and no other demand such as a tray showing
// the rose) the engine window is held, so a sample does not wake the GUI thread.
// GUI thread only; the document must outlive the view.
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "desktop/accessibility/accessibility_activation.h"
#include "desktop/accessibility/chart_announcer.h"
#include "platform/qt/chart_layers.h"
#include "platform/qt/qt_engine_window.h"
#include "platform/qt/text_layout_cache.h"
#include "platform/qt/window_obscuration.h"

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
  // Whether the window system shows the chart: the view shown, its window neither minimised
  // nor hidden, and exposed (not fully covered by other windows).
  bool Seen() const;

  // What besides the chart and a screen reader wants every sample (the tray's rose, while a
  // tray shows it). It is asked whenever the hold is weighed, and every kDemandRecheckMs while
  // held, since it may start wanting samples unannounced.
  void SetOtherDemand(std::function<bool()> wanted);
  // Weighs again whether anything wants the samples, holding or releasing the engine window.
  void DemandChanged();
  static constexpr int kDemandRecheckMs = 30'000;
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
  void showEvent(QShowEvent* event) override;
  // The window's exposure and state, watched on its native window and on the frame.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AnnounceTitle();
  // After a sample: asks for a paint of what changed on the chart, or none.
  void RepaintChanges();
  void NoteFirstPaints();
  // Watches the top-level widget and its native window (once it has one) for exposure.
  void WatchWindow();
  // The chart may have become visible: what was passed over is painted now.
  void MaybeSeenAgain();

  CCorvaneDoc& document_;
  qt::QtEngineWindow engine_window_;
  ChartAnnouncer announcer_;
  qt::TextLayoutCache text_cache_;  // the labels' layouts, kept from paint to paint
  qt::ChartLayers layers_{text_cache_};
  qt::ChartLayers::DrawFunction draw_;
  QRegion painted_;
  QRegion requested_;    // asked for by samples since the last paint
  bool missed_ = false;  // a sample or a paint was passed over while the chart was not seen
  QPointer<QWidget> watched_top_;
  QPointer<QObject> watched_handle_;
  qt::WindowObscuration obscuration_{this};  // covering, which the X exposure does not follow
  AccessibilityActivation activation_{this};
  std::function<bool()> other_demand_;
  QTimer demand_recheck_;  // runs while held with another demand set

  int paint_count_ = 0;
  const bool report_paints_;
  qint64 first_paint_ms_ = 0;
  qint64 first_chart_ms_ = 0;
};

}  // namespace corvane::desktop
